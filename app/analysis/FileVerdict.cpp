#include "app/analysis/FileVerdict.h"

#include <algorithm>
#include <cstring>

#include "base/TextUtil.h"

namespace ambrel {

namespace {

// A framework that does not tell about each stream answers for the file as a whole: a
// success code plays (a partial rendering is what a file with subtitles gets), a failure
// does not.
void WholeFileVerdict(const TRenderFileCheck& Check, TFileVerdict& Verdict) {
  const bool failed = (static_cast<uint32_t>(Check.Result) & 0x80000000u) != 0;
  Verdict.Status = failed ? "cannot" : "plays";
  if (failed) Verdict.Reason = Check.ResultText;
}

// Whether the framework's demuxer exposed a subtitle track's stream as it is: the player
// draws subtitles itself, so such a track needs no decoder of the framework's.
bool DrawnByPlayer(const TTrackPlayback& Track, const TFileFacts::TTrack* Facts, const TRenderFileCheck& Check) {
  static constexpr uint8_t kSubtitle = 0x11;
  if (!Facts || Facts->Type != kSubtitle || std::strcmp(Track.Status, "not_rendered") != 0) return false;
  return std::any_of(Check.Streams.Streams.begin(), Check.Streams.Streams.end(), [&](const media::TStreamPlayback& s) {
    return s.TrackNumber == Track.TrackNumber && s.Fate == media::TStreamFate::NotRendered;
  });
}

}  // namespace

TFileFacts FileFactsOf(const TMatroskaParse* Parse) {
  TFileFacts facts;
  facts.Parsed = Parse && Parse->Complete();
  if (Parse && Parse->Reader) {
    for (const TMatroskaTrackEntry& t : Parse->Reader->Tracks) facts.Tracks.push_back({ValidUtf8(t.CodecID), t.TrackType});
  }
  return facts;
}

TFileVerdict FileVerdictOf(const TFileFacts& File, const TRenderFileCheck& Check, const TRenderRun* Run) {
  TFileVerdict verdict;
  if (!File.Parsed) {
    verdict.Status = "damaged";
    verdict.Reason = File.Failure;
    return verdict;
  }
  const std::string& stopped = !Check.Stopped.empty() ? Check.Stopped : Run ? Run->Stopped : Check.Stopped;
  if (!stopped.empty()) {
    verdict.Status = "stopped";
    verdict.Reason = stopped;
    return verdict;
  }
  if (!Check.Streams.Told) {
    WholeFileVerdict(Check, verdict);
    return verdict;
  }
  bool cannot = false;
  for (const TTrackPlayback& t : Check.Tracks) {
    const TFileFacts::TTrack* facts = t.Number >= 1 && t.Number <= File.Tracks.size() ? &File.Tracks[t.Number - 1] : nullptr;
    if (std::strcmp(t.Status, "plays") == 0 || DrawnByPlayer(t, facts, Check)) continue;
    // Only a missing decoder with a package to bring it is a shortfall an install mends.
    const bool mendable = std::strcmp(t.Status, "no_decoder") == 0 && !t.Package.empty();
    cannot = cannot || !mendable;
    TTrackShortfall track{t.TrackNumber, {}, mendable ? t.Package : std::string(), t.Text};
    if (facts) track.CodecID = facts->CodecID;
    if (mendable) verdict.Packages.push_back(t.Package);
    verdict.Tracks.push_back(std::move(track));
  }
  std::sort(verdict.Packages.begin(), verdict.Packages.end());
  verdict.Packages.erase(std::unique(verdict.Packages.begin(), verdict.Packages.end()), verdict.Packages.end());
  verdict.Status = cannot ? "cannot" : verdict.Tracks.empty() ? "plays" : "needs";
  return verdict;
}

std::string PlaybackStatusLine(const TFileVerdict& Verdict) {
  if (Verdict.Status == "plays") return "Plays here.";
  if (Verdict.Status != "needs" && Verdict.Status != "cannot") return "";
  if (Verdict.Tracks.empty()) return "Does not play here.";
  const TTrackShortfall& first = Verdict.Tracks.front();
  std::string line = "Track " + std::to_string(first.TrackNumber);
  line += first.Package.empty() ? " cannot play here" : " needs " + first.Package;
  if (!first.CodecID.empty()) line += " (" + first.CodecID + ")";
  if (Verdict.Tracks.size() > 1) line += ", and " + std::to_string(Verdict.Tracks.size() - 1) + " more";
  return line + ".";
}

}  // namespace ambrel
