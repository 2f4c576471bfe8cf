#include "app/NumberFormat.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace ambrel {

namespace {
std::string Printf(const char* format, int precision, double value) {
  char buffer[512];
  const int n = std::snprintf(buffer, sizeof buffer, format, precision, value);
  if (n < static_cast<int>(sizeof buffer)) return std::string(buffer, static_cast<size_t>(n));
  std::string big(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(big.data(), big.size(), format, precision, value);
  big.resize(static_cast<size_t>(n));
  return big;
}

// True when the decimal expansion of value ends exactly in a 5 right after `decimals`
// digits. The C library rounds such ties to even; the reports round them away from zero.
bool IsTie(double value, int decimals) {
  const std::string wide = Printf("%.*f", decimals + 60, value);
  const size_t point = wide.find('.');
  if (point == std::string::npos) return false;
  const size_t five = point + 1 + static_cast<size_t>(decimals);
  if (five >= wide.size() || wide[five] != '5') return false;
  return wide.find_first_not_of('0', five + 1) == std::string::npos;
}
}  // namespace

std::string FormatFixed(double value, int decimals) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (!IsTie(value, decimals)) return Printf("%.*f", decimals, value);
  // Round the tie away from zero: cut the exact expansion and add one unit in the last
  // kept place, carrying to the left.
  std::string digits = Printf("%.*f", decimals + 60, value);
  const size_t point = digits.find('.');
  digits.resize(decimals > 0 ? point + 1 + static_cast<size_t>(decimals) : point);
  size_t i = digits.size();
  for (;;) {
    if (i == 0 || digits[i - 1] == '-') {
      digits.insert(i, "1");
      break;
    }
    --i;
    if (digits[i] == '.') continue;
    if (digits[i] != '9') {
      ++digits[i];
      break;
    }
    digits[i] = '0';
  }
  return digits;
}

uint32_t RoundLow32(double value) {
  if (!std::isfinite(value)) return 0;
  const double rounded = std::nearbyint(value);  // the default rounding mode: ties to even
  double low = std::fmod(rounded, 4294967296.0);
  if (low < 0) low += 4294967296.0;
  return static_cast<uint32_t>(low);
}

}  // namespace ambrel
