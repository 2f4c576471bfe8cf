#include "app/analysis/Analysis.h"

#include <future>

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
    : FFileName(std::move(FileName)), FContext(Context), FFramework(Render ? Context.Framework : nullptr),
      FControl(Control) {}

bool TAnalysis::Stopped() const { return FControl && FControl->Cancel && FControl->Cancel->load(); }

// The file's part: opened, parsed (the parser writes the reader's log), handed over.
bool TAnalysis::ReadFile(TAnalysisReader& Reader) {
  Reader.FileBegins(FFileName);
  std::unique_ptr<TByteSource> source = OpenFileSource(FFileName);
  if (!source) {
    Reader.FileParsed(nullptr);
    return false;
  }
  const TMatroskaParse parse = ParseMatroska(std::move(source), Reader.ParsingLog(), FControl, Reader.KeepsAllRecords());
  Reader.FileParsed(&parse);
  return parse.Complete();
}

bool TAnalysis::Run(TAnalysisReader& Reader) {
  if (!FFramework) {
    const bool parsed = ReadFile(Reader);
    Reader.FileDone();
    return parsed;
  }
  media::IMediaFramework& fw = *FFramework;
  // The framework may start rendering the file for the RenderFile check now, while the
  // file is parsed and reported.
  AnnounceRendering(FFileName, fw);
  // The file's part runs on a thread of its own while this thread puts its first question
  // to the framework, which a framework waiting for one starts here.
  auto file = std::async(std::launch::async, [&] { return ReadFile(Reader); });
  const bool sideBySide = fw.BuildsGraphsConcurrently();
  const bool parsed = file.get();
  Reader.FileDone();
  if (Stopped()) return parsed;
  // A framework that builds graphs side by side builds the detailed rendering's graph
  // while the RenderFile check's renders.
  TDetailedRenderingAhead detailed(FFileName, fw, sideBySide);
  Reader.RenderFileChecked(CheckRenderFile(FFileName, fw));
  if (Stopped()) return parsed;
  Reader.Rendered(detailed.Take());
  return parsed;
}

}  // namespace ambrel
