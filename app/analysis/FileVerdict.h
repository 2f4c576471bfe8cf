// The one answer a file's analysis gives to "will it play here, and what would make it
// play": a status for the whole file, the Debian packages that would bring the decoders
// it lacks and the tracks that will not play, all read from the per-track verdicts of
// the RenderFile check (no second analysis).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dshow/DShowSections.h"
#include "dshow/RenderRun.h"
#include "matroska/MatroskaParse.h"

namespace ambrel {

// A track that will not play here.
struct TTrackShortfall {
  uint64_t TrackNumber = 0;  // as the file numbers it
  std::string CodecID;
  std::string Package;  // the package that would bring a decoder; empty when none would
  std::string Text;     // the track's verdict
};

struct TFileVerdict {
  // "plays", "needs" (every track that does not play would with Packages), "cannot" (some
  // track would not play even then), "damaged" (the file could not be opened or parsed) or
  // "stopped" (the framework stopped before it answered).
  std::string Status;
  std::vector<std::string> Packages;    // sorted, each once
  std::vector<TTrackShortfall> Tracks;  // in the file's order
  std::string Reason;                   // damaged, stopped: why
};

// What the file's part of the analysis tells the verdict.
struct TFileFacts {
  bool Parsed = false;
  std::string Failure;               // why it did not parse
  struct TTrack {
    std::string CodecID;
    uint8_t Type = 0;
  };
  std::vector<TTrack> Tracks;  // in the file's order
};

// The facts of a parse (null: the file could not be opened), without the reason it fell
// short; codec IDs as well-formed UTF-8.
TFileFacts FileFactsOf(const TMatroskaParse* Parse);

// The verdict of a file from its facts, the RenderFile check and the detailed rendering
// (Run may be null when the analysis ended before it).
TFileVerdict FileVerdictOf(const TFileFacts& File, const TRenderFileCheck& Check, const TRenderRun* Run);

// The window's line that says it first: "Plays here.", "Track 2 needs gstreamer1.0-libav
// (A_AC3).", and so on; empty for a file that did not parse or a framework that stopped
// (the report and the status box say why).
std::string PlaybackStatusLine(const TFileVerdict& Verdict);

}  // namespace ambrel
