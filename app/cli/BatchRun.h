// Many files in one run: the FILE arguments expanded into a list (paths read from
// standard input, directories walked on request), analysed one after the other or on
// several threads, with every output printed in the order given.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "app/cli/AnalysisCommand.h"
#include "app/cli/BatchSummary.h"
#include "dshow/FrameworkSections.h"

namespace ambrel {

// One file to analyse. A refused argument (a directory without --recursive, one that
// cannot be walked) carries why in Refusal, as a line for standard error without the
// program's prefix: its analysis fails.
struct TBatchItem {
  std::string Path;
  std::string Refusal;
  bool Analyse = true;  // false: nothing to report on (a folder that cannot be read, a bad list line)
  std::string SaveName = "Report";  // with --save: the name of its two reports, without the extension
};

// With --save and many files, each file's reports are named after it: its name without the
// extension, followed by "-2", "-3"... when an earlier file took that name (compared
// ignoring ASCII case, as some file systems do).
void NameSavedReports(std::vector<TBatchItem>& Items);

// The extensions a directory walk picks up (compared ignoring ASCII case).
bool IsMatroskaFileName(const std::string& Path);

// The longest line of a path list read as a path.
inline constexpr size_t kMaxListPathLength = 64 * 1024;

// Expands the FILE arguments in order: "-" stands for the paths read from In, one per
// line (empty lines skipped, a CR before the LF dropped, a line holding a NUL byte
// refused, a line longer than kMaxListPathLength refused with the rest of the list, a
// list that cannot be read refused with the reason its stream buffer threw as a
// std::system_error); a directory is walked for Matroska and WebM files (in path order, with a
// refusal for each folder that cannot be read) when Recursive, else refused; anything
// else is kept as it is, for the analysis to open or report.
std::vector<TBatchItem> ExpandFileArguments(const std::vector<std::string>& Args, bool Recursive, std::istream& In);

// The line on a terminal that follows a batch: files done of the total and files per
// second, redrawn in place at most every RedrawInterval and once more at the end.
class TProgressLine {
 public:
  using TClock = std::chrono::steady_clock;

  TProgressLine(std::ostream& Out, size_t Total, TClock::duration RedrawInterval = std::chrono::milliseconds(100));
  // One more file is done; Now is when.
  void Step(TClock::time_point Now = TClock::now());
  // Removes the line, so that other text can be written to the terminal.
  void Clear();
  // Draws the final figures and ends the line.
  void Finish(TClock::time_point Now = TClock::now());

 private:
  void Draw(TClock::time_point Now);

  std::ostream& FOut;
  size_t FTotal;
  size_t FDone = 0;
  TClock::duration FInterval;
  TClock::time_point FStart;
  TClock::time_point FLastDraw;
  bool FDrawn = false;
};

struct TBatchOptions {
  TAnalysisOutput Output = TAnalysisOutput::Text;
  const std::string* SaveDir = nullptr;
  unsigned Jobs = 1;  // files analysed at once
  // Makes the media framework of one thread of analyses (a framework serves one analysis
  // at a time, and is told when each file begins); empty: no framework, every proposed
  // filter reads "not installed".
  std::function<std::unique_ptr<IFrameworkSections>()> MakeFramework;
  bool Render = false;  // run the rendering sections (with a framework)
  bool OutSharesProgressTerminal = false;  // the output goes to the terminal that shows the progress line
  // With the Summary output: takes each file's verdict, in the order of the items; a file's
  // line says why it failed, so its error line and the count of failures are not written.
  TBatchSummary* Summary = nullptr;
};

// Analyses Items with the tables of Tables (its framework is not used: each thread makes
// its own) and writes each one's output to out (and its error lines to err) in the order
// of Items, whatever order the threads finish in. Progress (optional) is
// stepped after each file. A batch with failures ends with a line saying how many failed.
// Returns 0 when every item was analysed successfully, else 1.
int RunBatch(const std::vector<TBatchItem>& Items, const TBatchOptions& Options, const TAnalysisContext& Tables,
             std::ostream& out, std::ostream& err, TProgressLine* Progress = nullptr);

}  // namespace ambrel
