#include "base/Sha1.h"

#include <string>

namespace ambrel::media {

namespace {
uint32_t Rotl(uint32_t v, int n) { return (v << n) | (v >> (32 - n)); }
}  // namespace

std::array<uint8_t, 20> Sha1(std::string_view data) {
  uint32_t h[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
  std::string msg(data);
  const uint64_t bits = static_cast<uint64_t>(data.size()) * 8;
  msg += '\x80';
  while (msg.size() % 64 != 56) msg += '\0';
  for (int shift = 56; shift >= 0; shift -= 8) msg += static_cast<char>((bits >> shift) & 0xFF);
  for (size_t block = 0; block < msg.size(); block += 64) {
    uint32_t w[80];
    for (int i = 0; i < 16; ++i) {
      const auto b = [&](int k) { return static_cast<uint32_t>(static_cast<unsigned char>(msg[block + 4 * i + k])); };
      w[i] = (b(0) << 24) | (b(1) << 16) | (b(2) << 8) | b(3);
    }
    for (int i = 16; i < 80; ++i) w[i] = Rotl(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
    uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
    for (int i = 0; i < 80; ++i) {
      uint32_t f, k;
      if (i < 20) f = (b & c) | (~b & d), k = 0x5A827999;
      else if (i < 40) f = b ^ c ^ d, k = 0x6ED9EBA1;
      else if (i < 60) f = (b & c) | (b & d) | (c & d), k = 0x8F1BBCDC;
      else f = b ^ c ^ d, k = 0xCA62C1D6;
      const uint32_t t = Rotl(a, 5) + f + e + k + w[i];
      e = d, d = c, c = Rotl(b, 30), b = a, a = t;
    }
    h[0] += a, h[1] += b, h[2] += c, h[3] += d, h[4] += e;
  }
  std::array<uint8_t, 20> out{};
  for (int i = 0; i < 20; ++i) out[i] = static_cast<uint8_t>(h[i / 4] >> (24 - 8 * (i % 4)));
  return out;
}

}  // namespace ambrel::media
