#include "app/analysis/CodecCandidates.h"

#include "base/Verbatim.h"
#include "codecdb/XmlCodecDB.h"
#include "dshow/FrameworkSections.h"
#include "matroska/MatroskaHelper.h"

namespace ambrel {

const std::vector<TCodecProposal>& TCodecCandidateCache::Lookup(const TXmlCodecDB& Db, const std::string& CodecID,
                                                                  const std::string& Fourcc) {
  auto key = std::make_pair(CodecID, Fourcc);
  if (const auto found = FKnown.find(key); found != FKnown.end()) return found->second;
  if (FKnown.size() >= kMaxKeys) {
    Db.FindProposals(CodecID, Fourcc, FScratch);
    return FScratch;
  }
  std::vector<TCodecProposal>& proposals = FKnown[std::move(key)];
  Db.FindProposals(CodecID, Fourcc, proposals);
  return proposals;
}

std::string CodecQuerySubkey(const TMatroskaTrackEntry& Track) {
  if (IsAcmTrack(&Track)) return Track.HasFormatTag ? WaveFormatTagText(Track.FormatTag) : "";
  return Track.Fourcc;
}

std::vector<TCodecCandidate> FindCodecCandidates(const TMatroskaTrackEntry& Track, const TAnalysisContext& Context,
                                                 TCodecCandidateCache* Cache) {
  const TXmlCodecDB& db = Context.CodecDB;
  std::vector<TCodecProposal> uncached;
  const std::vector<TCodecProposal>* proposals = &uncached;
  const std::string subkey = CodecQuerySubkey(Track);
  if (Cache) {
    proposals = &Cache->Lookup(db, Track.CodecID, subkey);
  } else {
    db.FindProposals(Track.CodecID, subkey, uncached);
  }
  std::vector<TCodecCandidate> candidates;
  candidates.reserve(proposals->size());
  for (const TCodecProposal& p : *proposals) {
    // A filter element without a guid attribute names no class, so it reads "no".
    const TFilterInstall install = Context.Framework                  ? Context.Framework->FilterInstall(p.Guid)
                                   : Context.InstalledWithoutFramework ? Context.InstalledWithoutFramework(p.Guid)
                                                                       : TFilterInstall();
    candidates.push_back({p.Name, InstalledText(install), install, p.InstallComments, p.Url});
  }
  return candidates;
}

void WriteCodecCandidates(const TMatroskaTrackEntry& Track, TLogWriter& W, const TAnalysisContext& Context,
                          TCodecCandidateCache* Cache) {
  // The database's texts are shown as text, never as markup: only the writer's own link
  // marking makes a link, and only of an "http://" address.
  for (const TCodecCandidate& c : FindCodecCandidates(Track, Context, Cache)) {
    W.BeginList();
    W.WriteListField("Possible filter", Verbatim(c.Name));
    W.BeginList();
    W.WriteListField("Installed", c.Installed);
    W.WriteListField("Install comments", Verbatim(c.InstallComments));
    W.WriteListField("Link", Verbatim(c.Link));
    W.EndList();
    W.EndList();
  }
}

}  // namespace ambrel
