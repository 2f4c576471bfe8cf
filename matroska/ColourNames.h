// The names of the colour code points a video track's Colour element declares (matrix
// coefficients, transfer characteristics, colour primaries, as ITU-T H.273 numbers them;
// the range as Matroska does), and the HDR format they make: what the container declares,
// which the video stream itself may complete or contradict.
#pragma once

#include <cstdint>
#include <string_view>

namespace ambrel {

// "reserved" for a code point H.273 leaves unassigned.
std::string_view MatrixCoefficientsName(uint64_t Value);
std::string_view TransferCharacteristicsName(uint64_t Value);
std::string_view ColourPrimariesName(uint64_t Value);
// "unspecified", "limited", "full", "defined by the matrix coefficients and transfer
// characteristics"; "reserved" beyond.
std::string_view ColourRangeName(uint64_t Value);

// "HDR10" for PQ transfer with BT.2020 primaries, "HLG" for the ARIB STD-B67 transfer; empty
// for anything else.
std::string_view HdrFormat(uint64_t TransferCharacteristics, uint64_t Primaries);

}  // namespace ambrel
