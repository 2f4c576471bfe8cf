#include "matroska/ColourNames.h"

#include <array>

namespace ambrel {

namespace {

constexpr std::string_view kReserved = "reserved";

template <size_t N>
std::string_view Lookup(const std::array<std::string_view, N>& Names, uint64_t Value) {
  return Value < N && !Names[Value].empty() ? Names[Value] : kReserved;
}

constexpr uint64_t kPrimariesBT2020 = 9;
constexpr uint64_t kTransferPQ = 16;
constexpr uint64_t kTransferHLG = 18;

}  // namespace

std::string_view MatrixCoefficientsName(uint64_t Value) {
  static constexpr std::array<std::string_view, 15> kNames = {
      "identity (RGB)", "BT.709", "unspecified", "", "FCC 73.682", "BT.470 System B, G (BT.601 625)",
      "SMPTE 170M (BT.601 525)", "SMPTE 240M", "YCgCo", "BT.2020 non-constant luminance",
      "BT.2020 constant luminance", "SMPTE ST 2085", "chromaticity-derived non-constant luminance",
      "chromaticity-derived constant luminance", "ICtCp"};
  return Lookup(kNames, Value);
}

std::string_view TransferCharacteristicsName(uint64_t Value) {
  static constexpr std::array<std::string_view, 19> kNames = {
      "", "BT.709", "unspecified", "", "BT.470 System M (gamma 2.2)", "BT.470 System B, G (gamma 2.8)",
      "SMPTE 170M (BT.601)", "SMPTE 240M", "linear", "logarithmic (100:1)", "logarithmic (316:1)",
      "IEC 61966-2-4 (xvYCC)", "BT.1361 extended colour gamut", "IEC 61966-2-1 (sRGB)", "BT.2020 10-bit",
      "BT.2020 12-bit", "SMPTE ST 2084 (PQ)", "SMPTE ST 428-1", "ARIB STD-B67 (HLG)"};
  return Lookup(kNames, Value);
}

std::string_view ColourPrimariesName(uint64_t Value) {
  static constexpr std::array<std::string_view, 23> kNames = {
      "", "BT.709", "unspecified", "", "BT.470 System M", "BT.470 System B, G (BT.601 625)",
      "SMPTE 170M (BT.601 525)", "SMPTE 240M", "generic film", "BT.2020", "SMPTE ST 428-1 (XYZ)",
      "SMPTE RP 431-2 (DCI-P3)", "SMPTE EG 432-1 (Display P3)", "", "", "", "", "", "", "", "", "",
      "EBU Tech 3213-E"};
  return Lookup(kNames, Value);
}

std::string_view ColourRangeName(uint64_t Value) {
  static constexpr std::array<std::string_view, 4> kNames = {
      "unspecified", "limited", "full", "defined by the matrix coefficients and transfer characteristics"};
  return Lookup(kNames, Value);
}

std::string_view HdrFormat(uint64_t TransferCharacteristics, uint64_t Primaries) {
  if (TransferCharacteristics == kTransferPQ && Primaries == kPrimariesBT2020) return "HDR10";
  if (TransferCharacteristics == kTransferHLG) return "HLG";
  return {};
}

}  // namespace ambrel
