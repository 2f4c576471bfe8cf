// One file's analysis, from opening the file to the detailed rendering, run once whatever
// is made of it: the report sections, the JSON document, the window's pages. The analysis
// hands each result to a reader as it comes; the readers differ only in what they write.
#pragma once

#include <string>
#include <vector>

#include "app/analysis/AnalysisContext.h"
#include "app/analysis/TrackPlayback.h"
#include "dshow/DShowSections.h"
#include "matroska/MatroskaParse.h"

namespace ambrel {

class TLogWriter;

// What a caller does with an analysis's results. The file's part (FileBegins, FileParsed)
// runs on a thread of its own while the framework starts when the rendering follows; the
// rest runs on the thread that runs the analysis.
class TAnalysisReader {
 public:
  virtual ~TAnalysisReader() = default;

  // Where the parser writes its log.
  virtual TLogWriter& ParsingLog() = 0;
  // Whether the parse keeps every record (the tags, the chapter atoms), not only what
  // the file report shows.
  virtual bool KeepsAllRecords() const { return false; }
  // Before the file is opened.
  virtual void FileBegins(const std::string& /*FileName*/) {}
  // The file's parse; null when the file could not be opened.
  virtual void FileParsed(const TMatroskaParse* Parse) = 0;
  // The file's part is done (on the analysing thread).
  virtual void FileDone() {}
  virtual void RenderFileChecked(const TRenderFileCheck&) {}
  virtual void Rendered(const TRenderRun&) {}
};

// Two readers given the same results: the first's parsing log is the one written.
class TReaderPair : public TAnalysisReader {
 public:
  TReaderPair(TAnalysisReader& First, TAnalysisReader& Second) : FFirst(First), FSecond(Second) {}
  TLogWriter& ParsingLog() override { return FFirst.ParsingLog(); }
  bool KeepsAllRecords() const override { return FFirst.KeepsAllRecords() || FSecond.KeepsAllRecords(); }
  void FileBegins(const std::string& FileName) override;
  void FileParsed(const TMatroskaParse* Parse) override;
  void FileDone() override;
  void RenderFileChecked(const TRenderFileCheck& Check) override;
  void Rendered(const TRenderRun& Run) override;

 private:
  TAnalysisReader& FFirst;
  TAnalysisReader& FSecond;
};

class TAnalysis {
 public:
  // Render: run the RenderFile check and the detailed rendering after the file's part (with
  // Context's framework, when there is one). Control (optional) follows the parse and may
  // stop it; a stopped analysis ends after the step it was in.
  TAnalysis(std::string FileName, const TAnalysisContext& Context, bool Render, const TParseControl* Control = nullptr);

  // Runs the analysis into Reader. Returns true when the file parsed completely.
  bool Run(TAnalysisReader& Reader);

 private:
  bool ReadFile(TAnalysisReader& Reader);
  bool Stopped() const;

  std::string FFileName;
  IFrameworkSections* FFramework;  // none: no rendering
  std::vector<TTrackFacts> FTracks;  // the file's tracks, when rendered
  const TParseControl* FControl;
};

}  // namespace ambrel
