// The decoder filters the codec database proposes for a track, with their installed
// state, written inside the track's block of the file report.
#pragma once

#include "app/AnalysisContext.h"
#include "matroska/MatroskaRecords.h"
#include "report/LogWriter.h"

namespace ambrel {

// Writes one nested group per proposed codec package. Whether a filter is installed is
// answered by the media framework's filter catalogue, which this build does not have
// yet, so no group is written for now.
void WriteCodecCandidates(const TMatroskaTrackEntry& Track, TLogWriter& W, const TAnalysisContext& Context);

}  // namespace ambrel
