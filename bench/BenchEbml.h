// Builds EBML bytes for the benchmarks' synthetic files.
#pragma once

#include <cstdint>
#include <string>

namespace bench {

inline std::string Id(uint32_t id) {
  std::string out;
  const int n = id > 0xFFFFFF ? 4 : id > 0xFFFF ? 3 : id > 0xFF ? 2 : 1;
  for (int i = n - 1; i >= 0; --i) out += static_cast<char>((id >> (8 * i)) & 0xFF);
  return out;
}

// Every element gets an 8-byte size field: simple and good enough here.
inline std::string Element(uint32_t id, const std::string& data) {
  std::string out = Id(id);
  const uint64_t coded = data.size() | (uint64_t{1} << 56);
  for (int i = 7; i >= 0; --i) out += static_cast<char>((coded >> (8 * i)) & 0xFF);
  return out + data;
}

// An element with the shortest size field, as muxers write them.
inline std::string CompactElement(uint32_t id, const std::string& data) {
  std::string out = Id(id);
  int length = 1;
  while (length < 8 && data.size() >= (uint64_t{1} << (7 * length)) - 1) ++length;
  const uint64_t coded = data.size() | (uint64_t{1} << (7 * length));
  for (int i = length - 1; i >= 0; --i) out += static_cast<char>((coded >> (8 * i)) & 0xFF);
  return out + data;
}

// An unsigned integer element in as few bytes as the value needs.
inline std::string CompactUint(uint32_t id, uint64_t value) {
  std::string data;
  do {
    data.insert(data.begin(), static_cast<char>(value & 0xFF));
    value >>= 8;
  } while (value != 0);
  return CompactElement(id, data);
}

}  // namespace bench
