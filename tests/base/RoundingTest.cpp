#include "base/Rounding.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace ambrel {
namespace {

// What the maths library answers: the reference the hand-written rounding must match.
uint32_t LibraryLow32(double whole) {
  double low = std::fmod(whole, 4294967296.0);
  if (low < 0) low += 4294967296.0;
  return static_cast<uint32_t>(low);
}

std::vector<double> Values() {
  std::vector<double> values = {0.0, -0.0, 0.5, 1.5, 2.5, -0.5, -1.5, -2.5, 0.49999999999999994,
                                4503599627370495.5, 4503599627370496.0, 9007199254740993.0,
                                -4503599627370495.5, 4294967295.5, 4294967296.0, -4294967296.0,
                                -1.0, 1e300, -1e300, 9223372036854775808.0, 18446744073709551616.0,
                                5e-324, -5e-324, 2.2250738585072014e-308, 1.7976931348623157e308};
  std::mt19937_64 random(7);
  while (values.size() < 20000) {
    const double value = std::bit_cast<double>(random());
    if (std::isfinite(value)) values.push_back(value);
    const double scaled = static_cast<double>(static_cast<int64_t>(random())) / 1024.0;  // many ties
    values.push_back(scaled);
  }
  return values;
}

TEST(Rounding, MatchesTheMathsLibrary) {
  for (const double value : Values()) {
    const double rounded = RoundHalfEven(value);
    ASSERT_EQ(std::bit_cast<uint64_t>(std::fabs(rounded)), std::bit_cast<uint64_t>(std::fabs(std::nearbyint(value))))
        << value;
    ASSERT_EQ(Low32OfWhole(rounded), LibraryLow32(rounded)) << value;
  }
}

}  // namespace
}  // namespace ambrel
