// Builds EBML byte sequences for the parser tests, and runs the parser over them.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "matroska/ElementIds.h"
#include "matroska/MatroskaHelper.h"
#include "io/ByteSource.h"
#include "report/LogWriter.h"

using namespace ambrel;

namespace ebml {

// The ID's bytes, big-endian, marker bit included (as the IDs are published).
inline std::string Id(uint32_t id) {
  std::string out;
  int n = id > 0xFFFFFF ? 4 : id > 0xFFFF ? 3 : id > 0xFF ? 2 : 1;
  for (int i = n - 1; i >= 0; --i) out += static_cast<char>((id >> (8 * i)) & 0xFF);
  return out;
}

// A size field of the given length (1 to 8), or the shortest that holds the value.
inline std::string Size(uint64_t size, int length = 0) {
  if (length == 0) {
    length = 1;
    while (length < 8 && size >= (uint64_t{1} << (7 * length)) - 1) ++length;
  }
  std::string out;
  const uint64_t coded = size | (uint64_t{1} << (7 * length));
  for (int i = length - 1; i >= 0; --i) out += static_cast<char>((coded >> (8 * i)) & 0xFF);
  return out;
}

inline std::string Element(uint32_t id, const std::string& data) { return Id(id) + Size(data.size()) + data; }

inline std::string Master(uint32_t id, std::initializer_list<std::string> children) {
  std::string data;
  for (const std::string& c : children) data += c;
  return Element(id, data);
}

// Unsigned integer in the fewest bytes (at least one), or in exactly `bytes` bytes.
inline std::string Uint(uint32_t id, uint64_t value, int bytes = 0) {
  if (bytes == 0) {
    bytes = 1;
    while (bytes < 8 && (value >> (8 * bytes)) != 0) ++bytes;
  }
  std::string data;
  for (int i = bytes - 1; i >= 0; --i) data += static_cast<char>(i >= 8 ? 0 : (value >> (8 * i)) & 0xFF);
  return Element(id, data);
}

inline std::string Str(uint32_t id, const std::string& text) { return Element(id, text); }

inline std::string Float8(uint32_t id, double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, 8);
  std::string data;
  for (int i = 7; i >= 0; --i) data += static_cast<char>((bits >> (8 * i)) & 0xFF);
  return Element(id, data);
}

// The element IDs go by their names.
using namespace ambrel::ids;

// An EBML header with the given document type and read version.
inline std::string Header(const std::string& docType = "matroska", uint64_t readVersion = 1) {
  return Master(kEBML, {Str(kDocType, docType), Uint(kDocTypeVersion, 1), Uint(kDocTypeReadVersion, readVersion)});
}

// A Segment with a size field of 8 bytes, so offsets of its children don't move when it grows.
inline std::string Segment(const std::string& children) { return Id(kSegment) + Size(children.size(), 8) + children; }

inline std::string Cluster() { return Master(kCluster, {Uint(kTimecode, 0)}); }

// Joins lines into a log text (each line ends with CR LF).
inline std::string Log(std::initializer_list<std::string> lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\r\n";
  return out;
}

// One parse of in-memory bytes: the result, the error message if one left Parse, the log.
struct TParse {
  explicit TParse(const std::string& bytes, int64_t maxChunk = 0)
      : File(std::make_unique<ambrel::TMemorySource>(bytes, maxChunk)), Reader(File, LogWriter) {
    try {
      Result = Reader.Parse();
    } catch (const EMatroskaError& e) {
      Error = e.what();
    }
  }
  std::string Log() const { return LogWriter.GetText(); }

  TTxtWriter LogWriter;
  TFileReader File;
  TMatroskaReader Reader;
  bool Result = false;
  std::string Error;
};

}  // namespace ebml
