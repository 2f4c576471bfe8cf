#include "app/CodecCandidates.h"

namespace ambrel {

void WriteCodecCandidates(const TMatroskaTrackEntry& /*Track*/, TLogWriter& /*W*/) {}

}  // namespace ambrel
