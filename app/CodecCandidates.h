// The decoder filters the codec database proposes for a track, with their installed
// state, written inside the track's block of the file report.
#pragma once

#include <string>
#include <vector>

#include "app/AnalysisContext.h"
#include "matroska/MatroskaRecords.h"
#include "report/LogWriter.h"

namespace ambrel {

// One proposed codec package and its filter. Texts come from the codec database.
struct TCodecCandidate {
  std::string Name;
  std::string Installed;  // "no", or "yes, in " + path [+ " (" + version + ")"]
  std::string InstallComments;
  std::string Link;
};

// The proposals for Track in database order; whether a filter is installed is asked of
// Context's media framework (none: every filter reads "no").
std::vector<TCodecCandidate> FindCodecCandidates(const TMatroskaTrackEntry& Track, const TAnalysisContext& Context);

// Writes one nested group per proposed codec package: the package's name, then whether
// the proposed filter is installed, the install comments and the package's web address.
void WriteCodecCandidates(const TMatroskaTrackEntry& Track, TLogWriter& W, const TAnalysisContext& Context);

}  // namespace ambrel
