#include "app/CodecCandidates.h"

namespace ambrel {

void WriteCodecCandidates(const TMatroskaTrackEntry& /*Track*/, TLogWriter& /*W*/,
                          const TAnalysisContext& /*Context*/) {}

}  // namespace ambrel
