#include "app/CodecCandidates.h"

void WriteCodecCandidates(const TMatroskaTrackEntry& /*Track*/, TLogWriter& /*W*/) {}
