// The decoder filters the codec database proposes for a track, with their installed
// state, written inside the track's block of the file report.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/analysis/AnalysisContext.h"
#include "codecdb/XmlCodecDB.h"
#include "dshow/DShowHelper.h"
#include "matroska/MatroskaRecords.h"
#include "report/LogWriter.h"

namespace ambrel {

// One proposed codec package and its filter. Texts come from the codec database.
struct TCodecCandidate {
  std::string Name;
  std::string Installed;  // "no", or "yes, in " + path [+ " (" + version + ")"]
  TFilterInstall Install; // the same, as found
  std::string InstallComments;
  std::string Link;
};

// Remembers the database's proposals per codec ID and FourCC for the length of one report,
// so that a file with thousands of tracks of a few codecs searches the database once per
// codec. The installed state is still asked of the framework for every track. At most
// kMaxKeys codecs are remembered; further ones are looked up each time.
class TCodecCandidateCache {
 public:
  static constexpr size_t kMaxKeys = 256;
  const std::vector<TCodecProposal>& Lookup(const TXmlCodecDB& Db, const std::string& CodecID,
                                              const std::string& Fourcc);

 private:
  std::map<std::pair<std::string, std::string>, std::vector<TCodecProposal>> FKnown;
  std::vector<TCodecProposal> FScratch;
};

// The second key of Track's codec database query (TCodecFilterMatch): the wFormatTag
// text of an Audio Compression Manager track, else the track's FourCC.
std::string CodecQuerySubkey(const TMatroskaTrackEntry& Track);

// The proposals for Track in database order; whether a filter is installed is asked of
// Context's media framework (none: every filter reads "no"). Cache, when given, must be
// used with one codec database only.
std::vector<TCodecCandidate> FindCodecCandidates(const TMatroskaTrackEntry& Track, const TAnalysisContext& Context,
                                                 TCodecCandidateCache* Cache = nullptr);

// Writes one nested group per proposed codec package: the package's name, then whether
// the proposed filter is installed, the install comments and the package's web address.
void WriteCodecCandidates(const TMatroskaTrackEntry& Track, TLogWriter& W, const TAnalysisContext& Context,
                          TCodecCandidateCache* Cache = nullptr);

}  // namespace ambrel
