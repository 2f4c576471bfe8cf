// The decoder filters the codec database proposes for a track, with their installed
// state, written inside the track's block of the file report.
#pragma once

#include "app/AnalysisContext.h"
#include "matroska/MatroskaRecords.h"
#include "report/LogWriter.h"

namespace ambrel {

// Writes one nested group per proposed codec package: the package's name, then whether
// the proposed filter is installed (asked of Context's media framework), the install
// comments and the package's web address.
void WriteCodecCandidates(const TMatroskaTrackEntry& Track, TLogWriter& W, const TAnalysisContext& Context);

}  // namespace ambrel
