// The RenderFile check's verdict per track: what the framework's own RenderFile made of each
// stream, matched with the tracks of the file report, so that every track of the file gets
// its line (a track the framework's demuxer never exposed says why), numbered as the file
// report numbers it, and a track without a decoder names the packages that would bring one.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "codecdb/XmlCodecDB.h"
#include "dshow/DShowSections.h"
#include "matroska/MatroskaRecords.h"

namespace ambrel {

// What the match needs of a track of the file.
struct TTrackFacts {
  uint64_t Number = 0;
  uint64_t Uid = 0;
  uint8_t Type = 0;
  std::string CodecID;
  std::string Fourcc;  // the codec database query's second key (CodecQuerySubkey)
};
TTrackFacts TrackFactsOf(const TMatroskaTrackEntry& Track);

// Whether the filter of a class id is installed.
using TInstalledFilter = std::function<bool(const std::string& ClsidText)>;

// Fills Check.Tracks (one per track of Tracks, in their order, when the framework told what
// became of the streams) and Check.MissingDecoders (each missing decoder with the tracks that
// lack it). Db proposes the elements that would decode a track without a decoder; those that
// Installed says are on the machine are left out (they did not decode it).
void MatchTrackPlayback(TRenderFileCheck& Check, const std::vector<TTrackFacts>& Tracks, const TXmlCodecDB& Db,
                        const TInstalledFilter& Installed);

}  // namespace ambrel
