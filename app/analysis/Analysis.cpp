#include "app/analysis/Analysis.h"

#include <future>

#include "app/analysis/TrackPlayback.h"
#include "dshow/FrameworkSections.h"
#include "io/ByteSource.h"

namespace ambrel {

void TReaderPair::FileBegins(const std::string& FileName) {
  FFirst.FileBegins(FileName);
  FSecond.FileBegins(FileName);
}
void TReaderPair::FileParsed(const TMatroskaParse* Parse) {
  FFirst.FileParsed(Parse);
  FSecond.FileParsed(Parse);
}
void TReaderPair::FileDone() {
  FFirst.FileDone();
  FSecond.FileDone();
}
void TReaderPair::RenderFileChecked(const TRenderFileCheck& Check) {
  FFirst.RenderFileChecked(Check);
  FSecond.RenderFileChecked(Check);
}
void TReaderPair::Rendered(const TRenderRun& Run) {
  FFirst.Rendered(Run);
  FSecond.Rendered(Run);
}

TAnalysis::TAnalysis(std::string FileName, const TAnalysisContext& Context, bool Render, const TParseControl* Control)
    : FFileName(std::move(FileName)), FFramework(Render ? Context.Framework : nullptr),
      FControl(Control) {}

bool TAnalysis::Stopped() const { return FControl && FControl->Cancel && FControl->Cancel->load(); }

// The file's part: opened, parsed (the parser writes the reader's log), handed over.
bool TAnalysis::ReadFile(TAnalysisReader& Reader) {
  FTracks.clear();
  Reader.FileBegins(FFileName);
  std::unique_ptr<TByteSource> source = OpenFileSource(FFileName);
  if (!source) {
    Reader.FileParsed(nullptr);
    return false;
  }
  const TMatroskaParse parse = ParseMatroska(std::move(source), Reader.ParsingLog(), FControl, Reader.KeepsAllRecords());
  // The rendering's verdicts go to the tracks the file report lists, numbered as it does.
  if (FFramework && parse.Complete()) {
    for (const TMatroskaTrackEntry& track : parse.Reader->Tracks) FTracks.push_back(TrackFactsOf(track));
  }
  Reader.FileParsed(&parse);
  return parse.Complete();
}

bool TAnalysis::Run(TAnalysisReader& Reader) {
  if (!FFramework) {
    const bool parsed = ReadFile(Reader);
    Reader.FileDone();
    return parsed;
  }
  IFrameworkSections& fw = *FFramework;
  // The framework may start rendering the file for the RenderFile check now, while the
  // file is parsed and reported.
  fw.Prepare(FFileName);
  // The file's part runs on a thread of its own while this thread waits for the framework
  // to start, which a framework waiting for its first question starts here.
  auto file = std::async(std::launch::async, [&] { return ReadFile(Reader); });
  fw.Start();
  const bool parsed = file.get();
  Reader.FileDone();
  if (Stopped()) return parsed;
  TRenderFileCheck check = fw.CheckRenderFile(FFileName);
  // The decoders a track lacks are proposed from the database of the platform's framework.
#ifdef _WIN32
  const TXmlCodecDB& proposals = EmbeddedCodecDB();
#else
  const TXmlCodecDB& proposals = EmbeddedGstCodecDB();
#endif
  MatchTrackPlayback(check, FTracks, proposals,
                     [&fw](const std::string& clsid) { return fw.FilterInstall(clsid).Installed; });
  Reader.RenderFileChecked(check);
  if (Stopped()) return parsed;
  Reader.Rendered(fw.RenderDetailed(FFileName));
  return parsed;
}

}  // namespace ambrel
