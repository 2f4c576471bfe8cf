// The profile and level that a track's CodecPrivate states in its codec's standard
// configuration record (AVC, HEVC and AV1 configuration records, VP9 codec features, AAC
// AudioSpecificConfig).
#pragma once

#include <optional>

#include "matroska/MatroskaRecords.h"

namespace ambrel {

struct TCodecProfile {
  std::optional<int> Profile;  // none when the record does not give it
  std::optional<int> Level;
};

// Looks only at the bytes present: a record too short or of another version gives nothing.
TCodecProfile CodecProfileOf(const TMatroskaTrackEntry& Track);

}  // namespace ambrel
