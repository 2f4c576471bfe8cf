// Decimal texts of floating-point values. An exact tie (a value whose decimal expansion
// ends in a 5 right after the last kept digit) is rounded away from zero, as people
// expect; everything else is rounded to the nearest. '.' is the decimal point.
#pragma once

#include <string>

namespace ambrel {

// General text of a double: the shortest form with at most 15 significant digits, no
// trailing zeros; scientific notation (1E-6, 1.5E20) only below 0.00001 or with more
// than 15 integer digits; NAN, INF and -INF for the special values.
std::string FloatToStrGeneral(double Value);

// Value with exactly `Decimals` digits after the point; NAN, INF and -INF for the
// special values.
std::string FloatToStrFixed(double Value, int Decimals);

}  // namespace ambrel
