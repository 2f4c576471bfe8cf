// Rounding of doubles to whole numbers, written out so that the programs need no maths
// library at run time (loading one costs more than everything these do).
#pragma once

#include <bit>
#include <cstdint>

namespace ambrel {

// The whole number nearest to Value, ties to even (what nearbyint gives in the default
// rounding mode). Value must be finite.
inline double RoundHalfEven(double Value) {
  constexpr double kTwo52 = 4503599627370496.0;  // from here on every double is whole
  // Adding 2^52 pushes the fraction out of the mantissa, and the addition itself rounds to
  // nearest with ties to even; subtracting it again is exact.
  if (Value >= 0) return Value < kTwo52 ? (Value + kTwo52) - kTwo52 : Value;
  return Value > -kTwo52 ? (Value - kTwo52) + kTwo52 : Value;
}

// The low 32 bits of the two's complement of a finite whole Value, of any magnitude: the
// remainder of Value by 2^32, taken up into [0, 2^32).
inline uint32_t Low32OfWhole(double Value) {
  const uint64_t Bits = std::bit_cast<uint64_t>(Value);
  const int Exponent = static_cast<int>((Bits >> 52) & 0x7FF) - 1075;  // Value = Mantissa * 2^Exponent
  uint64_t Mantissa = Bits & ((uint64_t{1} << 52) - 1);
  if ((Bits >> 52 & 0x7FF) != 0) Mantissa |= uint64_t{1} << 52;
  uint32_t Low = 0;
  if (Exponent >= 32) {
    Low = 0;  // a multiple of 2^32
  } else if (Exponent >= 0) {
    Low = static_cast<uint32_t>(Mantissa << Exponent);
  } else if (Exponent > -64) {
    Low = static_cast<uint32_t>(Mantissa >> -Exponent);  // whole, so nothing is shifted out
  }
  const bool Negative = (Bits >> 63) != 0;
  return Negative ? static_cast<uint32_t>(0u - Low) : Low;
}

// The low 64 bits of the two's complement of a finite whole Value, of any magnitude: the
// remainder of Value by 2^64, taken up into [0, 2^64).
inline uint64_t Low64OfWhole(double Value) {
  const uint64_t Bits = std::bit_cast<uint64_t>(Value);
  const int Exponent = static_cast<int>((Bits >> 52) & 0x7FF) - 1075;  // Value = Mantissa * 2^Exponent
  uint64_t Mantissa = Bits & ((uint64_t{1} << 52) - 1);
  if ((Bits >> 52 & 0x7FF) != 0) Mantissa |= uint64_t{1} << 52;
  uint64_t Low = 0;
  if (Exponent >= 64) {
    Low = 0;  // a multiple of 2^64
  } else if (Exponent >= 0) {
    Low = Mantissa << Exponent;
  } else if (Exponent > -64) {
    Low = Mantissa >> -Exponent;  // whole, so nothing is shifted out
  }
  const bool Negative = (Bits >> 63) != 0;
  return Negative ? 0u - Low : Low;
}

}  // namespace ambrel
