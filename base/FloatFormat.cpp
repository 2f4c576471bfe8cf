#include "base/FloatFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace ambrel {

namespace {

constexpr int kPrecision = 15;  // significant digits of the general format
// Extra digits printed to see whether the digits after the last kept one are exactly
// "5000...": enough for every tie a double can hold at the precisions used here.
constexpr int kTieDigits = 80;

// The decimal digits of Value with Precision digits after the point, in scientific or
// fixed notation like printf's %e and %f, but independent of the process locale: the
// point is always '.'.
std::string Digits(double Value, std::chars_format Format, int Precision) {
  // Room for the sign, 309 integer digits, the point, the decimals and an exponent.
  std::string out(static_cast<size_t>(std::max(Precision, 0)) + 330, '\0');
  const std::to_chars_result r = std::to_chars(out.data(), out.data() + out.size(), Value, Format, Precision);
  out.resize(r.ec == std::errc() ? static_cast<size_t>(r.ptr - out.data()) : 0);
  return out;
}

bool IsTieTail(const std::string& digits, size_t five) {
  if (five >= digits.size() || digits[five] != '5') return false;
  for (size_t i = five + 1; i < digits.size() && digits[i] != 'e'; ++i) {
    if (digits[i] != '0') return false;
  }
  return true;
}

// Adds one unit in the last place of a digit string ("-12.39" -> "-12.40"); returns
// true when the carry ran out of digits and a leading '1' was inserted.
bool AddOneUnit(std::string& digits) {
  size_t i = digits.size();
  while (i > 0) {
    --i;
    if (digits[i] == '.' || digits[i] == '-') continue;
    if (digits[i] != '9') {
      ++digits[i];
      return false;
    }
    digits[i] = '0';
  }
  const size_t first = digits[0] == '-' ? 1 : 0;
  digits.insert(first, "1");
  return true;
}

// Mantissa digits (no point) and decimal exponent of Value rounded to kPrecision
// significant digits, ties away from zero.
void RoundSignificant(double Value, std::string& digits, int& exponent) {
  const std::string wide = Digits(std::fabs(Value), std::chars_format::scientific, kPrecision - 1 + kTieDigits);
  const size_t e = wide.find('e');
  std::string all = wide.substr(0, 1) + wide.substr(2, e - 2);
  exponent = std::atoi(wide.c_str() + e + 1);
  if (IsTieTail(all, kPrecision)) {
    digits = all.substr(0, kPrecision);
    if (AddOneUnit(digits)) {
      digits.pop_back();
      ++exponent;
    }
    return;
  }
  const std::string exact = Digits(std::fabs(Value), std::chars_format::scientific, kPrecision - 1);
  const size_t ee = exact.find('e');
  digits = exact.substr(0, 1) + exact.substr(2, ee - 2);
  exponent = std::atoi(exact.c_str() + ee + 1);
}

}  // namespace

std::string FloatToStrGeneral(double Value) {
  if (std::isnan(Value)) return "NAN";
  if (std::isinf(Value)) return Value > 0 ? "INF" : "-INF";
  if (Value == 0) return "0";

  std::string digits;
  int exponent = 0;  // the value is d.ddd x 10^exponent
  RoundSignificant(Value, digits, exponent);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = Value < 0 ? "-" : "";
  if (exponent >= kPrecision || exponent < -5) {
    out += digits[0];
    if (digits.size() > 1) out += "." + digits.substr(1);
    return out + "E" + std::to_string(exponent);
  }
  if (exponent < 0) return out + "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
  const auto intDigits = static_cast<size_t>(exponent) + 1;
  if (digits.size() <= intDigits) return out + digits + std::string(intDigits - digits.size(), '0');
  return out + digits.substr(0, intDigits) + "." + digits.substr(intDigits);
}

std::string FloatToStrFixed(double Value, int Decimals) {
  if (std::isnan(Value)) return "NAN";
  if (std::isinf(Value)) return Value < 0 ? "-INF" : "INF";
  std::string wide = Digits(Value, std::chars_format::fixed, Decimals + kTieDigits);
  const size_t point = wide.find('.');
  if (!IsTieTail(wide, point + 1 + static_cast<size_t>(Decimals))) return Digits(Value, std::chars_format::fixed, Decimals);
  wide.resize(Decimals > 0 ? point + 1 + static_cast<size_t>(Decimals) : point);
  AddOneUnit(wide);
  return wide;
}

}  // namespace ambrel
