#include "app/CodecCandidates.h"

#include "codecdb/XmlCodecDB.h"
#include "dshow/DShowHelper.h"

namespace ambrel {

void WriteCodecCandidates(const TMatroskaTrackEntry& Track, TLogWriter& W, const TAnalysisContext& Context) {
  TCodecFilterMatch match;
  Context.CodecDB.FindFirstFilter(Track.CodecID, Track.Fourcc, match);
  while (match.Found) {
    W.BeginList();
    W.WriteListField("Possible filter", GetChildValue(match.Codec, "name"));
    W.BeginList();
    // A filter element without a guid attribute names no class, so it reads "no".
    const std::string guid = match.Filter ? match.Filter->Properties().PropertyValue("guid", "") : std::string();
    W.WriteListField("Installed", Context.Framework ? CheckFilterInstalled(*Context.Framework, guid) : "no");
    W.WriteListField("Install comments", GetChildValue(match.Codec, "installcomments"));
    W.WriteListField("Link", GetChildValue(match.Codec, "url"));
    W.EndList();
    W.EndList();
    Context.CodecDB.FindNextFilter(match);
  }
}

}  // namespace ambrel
