// The report sections over the media framework: the splitter and RenderFile check, the
// detailed rendering narrative, and the lists of installed filters and audio renderers.
// The checks give their answers as data, which the sections write; each section writes
// only to the writer it is given and never throws.
#pragma once

#include <future>
#include <string>
#include <utility>
#include <vector>

#include "dshow/RenderRun.h"
#include "media/MediaFramework.h"
#include "report/LogWriter.h"

namespace ambrel {

// FileName is the analysed file's path (UTF-8).

// Lets the framework start rendering the file while the caller does what comes before the
// rendering sections (the file's own report); the answers read the same either way.
void AnnounceRendering(const std::string& FileName, media::IMediaFramework& Fw);

// The RenderFile check's answers: the known Matroska splitters' state, then what the
// framework's own RenderFile made of the file.
struct TSplitterCheck {
  std::string Name;
  std::string Installed;  // report text: "no", or "yes, in " + the path and version
  bool Creatable = false;
};
// What became of one track of the file, as the report says it ("Track N : Text") and as
// data. Number is the track's count in the file report.
struct TTrackPlayback {
  size_t Number = 0;
  uint64_t TrackNumber = 0;  // the Matroska track number
  const char* Status = "";   // "plays", "no_decoder" or "not_rendered"
  std::string Element, ElementName, Package;  // the decoder, or the one that would play it
  std::string Text;
};
struct TRenderFileCheck {
  std::string Framework;  // the platform's own framework and its version; empty for others
  std::vector<TSplitterCheck> Splitters;
  media::HRESULT Result = 0;
  std::string ResultText;                                    // the framework's text for Result
  std::vector<std::pair<std::string, std::string>> Notes;  // (label, text) found beyond it
  // What the framework said of each stream, as it said it.
  media::TRenderFileStreams Streams;
  // The same per track of the file, and the missing decoders with the tracks that lack
  // them, once the analysis has matched the streams with the file's tracks.
  std::vector<TTrackPlayback> Tracks;
  std::vector<std::string> MissingDecoders;
  // Set when the framework stopped before answering: the line that says so.
  std::string Stopped;
};
TRenderFileCheck CheckRenderFile(const std::string& FileName, media::IMediaFramework& Fw);
void WriteRenderFileCheckSection(TLogWriter& W, const TRenderFileCheck& Check);

// The detailed rendering of FileName, built in turn on this thread. OnStep, when given,
// also gets each step as it is made.
TRenderRun RenderDetailed(const std::string& FileName, media::IMediaFramework& Fw, const TRenderStepEvent& OnStep = {});

// The detailed rendering, begun at construction on a thread of its own when the framework
// builds graphs side by side (SideBySide, its answer to BuildsGraphsConcurrently; the
// RenderFile check's graph renders meanwhile), so that its section waits for less.
// Otherwise nothing runs ahead: the run is built when asked for, after the steps before,
// so the framework sees its calls in the order it would without this.
class TDetailedRenderingAhead {
 public:
  // OnStep, when given, gets each step as it is made, on the thread that makes it.
  TDetailedRenderingAhead(std::string FileName, media::IMediaFramework& Fw, bool SideBySide,
                          TRenderStepEvent OnStep = {});
  // Waits for a rendering still running.
  ~TDetailedRenderingAhead();
  TDetailedRenderingAhead(const TDetailedRenderingAhead&) = delete;
  TDetailedRenderingAhead& operator=(const TDetailedRenderingAhead&) = delete;

  // The whole run. Called once.
  TRenderRun Take();
  // Why the system refused the thread to begin the run on (it is then built when taken);
  // empty when it did not.
  const std::string& Refused() const { return FRefused; }

 private:
  std::string FFileName;
  media::IMediaFramework& FFw;
  TRenderStepEvent FOnStep;
  std::future<TRenderRun> FAhead;  // valid while a run begun ahead is not taken
  std::string FRefused;
};

void WriteDetailedRenderingSection(TLogWriter& W, const TRenderRun& Run);
void WriteDirectShowFiltersSection(TLogWriter& W, media::IMediaFramework& Fw);

}  // namespace ambrel
