#include "app/CodecCandidates.h"

#include "codecdb/XmlCodecDB.h"
#include "dshow/DShowHelper.h"

namespace ambrel {

std::vector<TCodecCandidate> FindCodecCandidates(const TMatroskaTrackEntry& Track, const TAnalysisContext& Context) {
  std::vector<TCodecCandidate> candidates;
  const TXmlCodecDB& db = Context.CodecDB;
  TCodecFilterMatch match;
  db.FindFirstFilter(Track.CodecID, Track.Fourcc, match);
  while (match.Found) {
    // A filter element without a guid attribute names no class, so it reads "no".
    const std::string guid = match.Filter ? match.Filter->Properties().PropertyValue("guid", "") : std::string();
    candidates.push_back({GetChildValue(match.Codec, "name"),
                          Context.Framework ? CheckFilterInstalled(*Context.Framework, guid) : "no",
                          GetChildValue(match.Codec, "installcomments"), GetChildValue(match.Codec, "url")});
    db.FindNextFilter(match);
  }
  return candidates;
}

void WriteCodecCandidates(const TMatroskaTrackEntry& Track, TLogWriter& W, const TAnalysisContext& Context) {
  for (const TCodecCandidate& c : FindCodecCandidates(Track, Context)) {
    W.BeginList();
    W.WriteListField("Possible filter", c.Name);
    W.BeginList();
    W.WriteListField("Installed", c.Installed);
    W.WriteListField("Install comments", c.InstallComments);
    W.WriteListField("Link", c.Link);
    W.EndList();
    W.EndList();
  }
}

}  // namespace ambrel
