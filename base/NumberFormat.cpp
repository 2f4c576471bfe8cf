#include "base/NumberFormat.h"

#include <cmath>

#include "base/Rounding.h"

namespace ambrel {

uint32_t RoundLow32(double value) {
  if (!std::isfinite(value)) return 0;
  return Low32OfWhole(RoundHalfEven(value));
}

uint64_t RoundLow64(double value) {
  if (!std::isfinite(value)) return 0;
  return Low64OfWhole(RoundHalfEven(value));
}

}  // namespace ambrel
