#include "app/NumberFormat.h"

#include <cmath>

namespace ambrel {

uint32_t RoundLow32(double value) {
  if (!std::isfinite(value)) return 0;
  const double rounded = std::nearbyint(value);  // the default rounding mode: ties to even
  double low = std::fmod(rounded, 4294967296.0);
  if (low < 0) low += 4294967296.0;
  return static_cast<uint32_t>(low);
}

}  // namespace ambrel
