// Decimal texts of the reports. Ties are rounded away from zero, as people expect.
#pragma once

#include <cstdint>
#include <string>

namespace ambrel {

// Value with exactly `decimals` digits after the point ("%.*f"); NAN, INF, -INF for
// the special values.
std::string FormatFixed(double value, int decimals);

// Round(value) with ties to even, reduced to its low 32 bits; 0 when not finite.
uint32_t RoundLow32(double value);

}  // namespace ambrel
