// Whole-number conversions of the file report.
#pragma once

#include <cstdint>

namespace ambrel {

// Round(value) with ties to even, reduced to its low 32 bits; 0 when not finite.
uint32_t RoundLow32(double value);
// Round(value) with ties to even, reduced to its low 64 bits; 0 when not finite.
uint64_t RoundLow64(double value);

}  // namespace ambrel
