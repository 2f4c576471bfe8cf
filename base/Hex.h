// Hexadecimal digits: the value of one, and numbers written with them.
#pragma once

#include <cstdint>
#include <string>

namespace ambrel {

// The value of one hexadecimal digit of either case; -1 for anything else.
constexpr int HexDigitValue(char32_t c) {
  if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
  return -1;
}

// Appends Value in hexadecimal, upper case unless Lower, with zeros in front up to Width
// digits.
inline void AppendHex(std::string& Out, uint64_t Value, int Width = 1, bool Lower = false) {
  const char* digits = Lower ? "0123456789abcdef" : "0123456789ABCDEF";
  int count = 1;
  while (count < 16 && (Value >> (4 * count)) != 0) ++count;
  if (count < Width) count = Width;
  for (int i = count - 1; i >= 0; --i) Out += i >= 16 ? '0' : digits[(Value >> (4 * i)) & 15];
}

// Value in upper-case hexadecimal, with zeros in front up to Width digits.
inline std::string HexText(uint64_t Value, int Width = 1) {
  std::string out;
  AppendHex(out, Value, Width);
  return out;
}

}  // namespace ambrel
