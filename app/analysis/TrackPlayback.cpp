#include "app/analysis/TrackPlayback.h"

#include <algorithm>
#include <map>
#include <string_view>
#include <tuple>

#include "app/analysis/CodecCandidates.h"
#include "matroska/ValueFormat.h"

namespace ambrel {

namespace {

using media::TStreamFate;
using media::TStreamPlayback;

// "gstreamer1.0-libav" from a codec entry whose install comments say
// "Debian/Ubuntu package gstreamer1.0-libav"; else the entry's name.
std::string PackageOfEntry(const TSimpleXmlElem* Codec) {
  static constexpr std::string_view kPrefix = "Debian/Ubuntu package ";
  const std::string comments = GetChildValue(Codec, "installcomments");
  if (comments.rfind(kPrefix, 0) == 0 && comments.size() > kPrefix.size()) return comments.substr(kPrefix.size());
  return GetChildValue(Codec, "name");
}

// Whether a database element only parses its codec: the database names elements by the
// framework's long names, and those of parsers say so ("H.264 parser", "SSA Subtitle
// Parser"). A parser alone plays nothing, so it is not proposed for a missing decoder.
bool IsParser(std::string_view Name) {
  static constexpr std::string_view kParser = "parser";
  if (Name.size() < kParser.size()) return false;
  const std::string_view tail = Name.substr(Name.size() - kParser.size());
  return std::equal(tail.begin(), tail.end(), kParser.begin(),
                    [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a + 32 : a) == b; });
}

// The decoders the database knows for a track's codec that are not installed, as
// (package, element name), in database order.
using TProposals = std::vector<std::pair<std::string, std::string>>;

class TProposalCache {
 public:
  TProposalCache(const TXmlCodecDB& Db, const TInstalledFilter& Installed) : FDb(Db), FInstalled(Installed) {}

  const TXmlCodecDB& Db() const { return FDb; }
  const TInstalledFilter& Installed() const { return FInstalled; }

  const TProposals& For(const TTrackFacts& Track) {
    auto [found, added] = FKnown.try_emplace({Track.CodecID, Track.Fourcc});
    if (!added) return found->second;
    TCodecFilterMatch match;
    for (FDb.FindFirstFilter(Track.CodecID, Track.Fourcc, match); match.Found; FDb.FindNextFilter(match)) {
      const std::string guid = match.Filter->Properties().PropertyValue("guid", "");
      std::string name = GetChildValue(match.Filter, "name");
      if (guid.empty() || IsParser(name) || FInstalled(guid)) continue;
      found->second.emplace_back(PackageOfEntry(match.Codec), std::move(name));
    }
    return found->second;
  }

 private:
  const TXmlCodecDB& FDb;
  const TInstalledFilter& FInstalled;
  std::map<std::pair<std::string, std::string>, TProposals> FKnown;
};

// Why the framework said nothing of a track: its graph stopped first, or its demuxer left the
// track out; then what the file shows of the track that such a demuxer cannot take.
std::string UnexposedReason(const TTrackFacts& Track, bool Complete, bool NumberShared) {
  if (!Complete) return "the framework's graph stopped before its demuxer exposed it";
  std::string why = "the framework's Matroska demuxer does not expose it";
  if (Track.CodecID.empty()) return why + " (it has no codec ID)";
  if (Track.Number == 0) return why + " (its track number is 0)";
  if (NumberShared) return why + " (another track has the same number)";
  if (Track.Type != 1 && Track.Type != 2 && Track.Type != 0x11) {
    const std::string type = TrackTypeToStr(Track.Type);
    return why + (type.empty() ? " (track type " + std::to_string(Track.Type) + ")" : " (a " + type + " track)");
  }
  return why;
}

// A DirectShow filter that took a stream: its name in the graph and its server file.
std::string DirectShowPlays(const TStreamPlayback& Stream) {
  return "plays with " + Stream.ElementName + (Stream.Element.empty() ? "" : " (" + Stream.Element + ")");
}

// The filters the database proposes for a track no installed filter accepted, those not
// installed, with their install comments: "; NAME (COMMENTS)".
std::string FilterProposals(const TTrackFacts& Track, const TXmlCodecDB& Db, const TInstalledFilter& Installed) {
  std::string text;
  TCodecFilterMatch match;
  for (Db.FindFirstFilter(Track.CodecID, Track.Fourcc, match); match.Found; Db.FindNextFilter(match)) {
    const std::string guid = match.Filter->Properties().PropertyValue("guid", "");
    if (guid.empty() || Installed(guid)) continue;
    const std::string comments = GetChildValue(match.Codec, "installcomments");
    text += "; " + GetChildValue(match.Filter, "name") + (comments.empty() ? "" : " (" + comments + ")");
  }
  return text;
}

TTrackPlayback Verdict(const TStreamPlayback& Stream, const TTrackFacts& Track, TProposalCache& Proposals) {
  TTrackPlayback track;
  switch (Stream.Fate) {
    case TStreamFate::Plays:
      track.Status = "plays";
      track.Element = Stream.Element;
      track.ElementName = Stream.ElementName;
      track.Package = Stream.Package;
      track.Text = Stream.Element.empty() ? "plays without a decoder"
                                          : "plays with " + Stream.ElementName + " (" + Stream.Element + ", " +
                                                Stream.Package + ")";
      if (Stream.Package.empty() && !Stream.ElementName.empty()) track.Text = DirectShowPlays(Stream);
      break;
    case TStreamFate::NoDecoder: {
      track.Status = "no_decoder";
      if (!Stream.Element.empty()) {
        // An installed decoder was offered the stream and refused it: no package can help.
        track.Text = "no installed decoder accepts " + Stream.Detail + ": " + Stream.ElementName + " (" +
                     Stream.Element + ", " + Stream.Package + ") refuses this stream";
        break;
      }
      track.Text = "no installed decoder for " + Stream.Detail;
      const TProposals& proposals = Proposals.For(Track);
      for (const auto& [package, name] : proposals) track.Text += "; " + package + " provides " + name;
      if (!proposals.empty()) std::tie(track.Package, track.ElementName) = proposals.front();
      break;
    }
    case TStreamFate::NotRendered:
      track.Status = "not_rendered";
      track.Text = "not rendered: " + Stream.Detail;
      break;
    case TStreamFate::NoFilter:
      track.Status = "no_decoder";
      track.Text = "no installed filter accepts " + Stream.Detail +
                   FilterProposals(Track, Proposals.Db(), Proposals.Installed());
      break;
  }
  return track;
}

}  // namespace

TTrackFacts TrackFactsOf(const TMatroskaTrackEntry& Track) {
  return {Track.TrackNumber, Track.TrackUID, Track.TrackType, Track.CodecID, CodecQuerySubkey(Track)};
}

void MatchTrackPlayback(TRenderFileCheck& Check, const std::vector<TTrackFacts>& Tracks, const TXmlCodecDB& Db,
                        const TInstalledFilter& Installed) {
  const media::TRenderFileStreams& told = Check.Streams;
  Check.Tracks.clear();
  Check.MissingDecoders.clear();
  if (!told.Told) return;
  // Each stream goes to the first track not yet taken with its number and uid, or failing
  // that its number alone.
  std::vector<const TStreamPlayback*> streamOf(Tracks.size(), nullptr);
  std::multimap<uint64_t, size_t> byNumber;
  std::map<uint64_t, size_t> sharing;  // how many tracks have each number
  for (size_t i = 0; i < Tracks.size(); ++i) {
    byNumber.emplace(Tracks[i].Number, i);
    ++sharing[Tracks[i].Number];
  }
  std::vector<bool> placed(told.Streams.size(), false);
  for (const bool byUid : {true, false}) {
    for (size_t s = 0; s < told.Streams.size(); ++s) {
      const TStreamPlayback& stream = told.Streams[s];
      const auto [first, last] = byNumber.equal_range(stream.TrackNumber);
      for (auto it = first; !placed[s] && it != last; ++it) {
        if (streamOf[it->second] || (byUid && Tracks[it->second].Uid != stream.TrackUid)) continue;
        streamOf[it->second] = &stream;
        placed[s] = true;
      }
    }
  }
  // A demuxer that does not number its streams: each goes, in order, to the next track not
  // yet taken of the type its media type tells (of any type when it tells none).
  for (size_t s = 0; s < told.Streams.size(); ++s) {
    if (placed[s] || told.Streams[s].TrackNumber != 0) continue;
    for (size_t i = 0; i < Tracks.size(); ++i) {
      if (streamOf[i] || (told.Streams[s].TrackType && Tracks[i].Type != told.Streams[s].TrackType)) continue;
      streamOf[i] = &told.Streams[s];
      placed[s] = true;
      break;
    }
  }
  TProposalCache proposals(Db, Installed);
  for (size_t i = 0; i < Tracks.size(); ++i) {
    TTrackPlayback track;
    if (streamOf[i]) {
      track = Verdict(*streamOf[i], Tracks[i], proposals);
    } else {
      track.Status = "not_rendered";
      track.Text = "not rendered: " + UnexposedReason(Tracks[i], told.Complete, sharing[Tracks[i].Number] > 1);
    }
    track.Number = i + 1;
    track.TrackNumber = Tracks[i].Number;
    Check.Tracks.push_back(std::move(track));
  }
  // A missing decoder names the tracks that lack it.
  for (const std::string& missing : told.Missing) {
    std::string tracks;
    for (size_t i = 0; i < Tracks.size(); ++i) {
      if (streamOf[i] && streamOf[i]->Fate == TStreamFate::NoDecoder && streamOf[i]->MissingDecoder == missing)
        tracks += (tracks.empty() ? " (track " : ", ") + std::to_string(i + 1);
    }
    Check.MissingDecoders.push_back(missing + (tracks.empty() ? "" : tracks + ")"));
  }
}

}  // namespace ambrel
