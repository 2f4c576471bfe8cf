// The answer first, for many files: one line per file in the order given (its status, its
// path, what it lacks or why it failed), then a tally and the command that installs every
// package the files need.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "app/analysis/FileVerdict.h"

namespace ambrel {

class TBatchSummary {
 public:
  // Aligned: the lines are for a person at a terminal, held to the end and written in
  // columns; else each goes out as it comes, its fields separated by tabs, and the tally
  // goes to Notes so that Out holds only file lines.
  TBatchSummary(std::ostream& Out, std::ostream& Notes, bool Aligned);

  void Add(const std::string& Path, const TFileVerdict& Verdict);
  // Writes the held lines, the tally and the install command.
  void Finish();
  // Whether every file added plays (or, without the rendering, parses).
  bool AllPlay() const;

 private:
  struct TLine {
    std::string Status, Path, Detail;
  };
  void Write(const TLine& Line, size_t StatusWidth, size_t PathWidth);

  std::ostream& FOut;
  std::ostream& FNotes;
  const bool FAligned;
  std::vector<TLine> FHeld;
  std::vector<std::string> FStatuses;  // of every file, in order
  std::vector<std::string> FPackages;
};

// What the summary says of a file beside its status: each track that will not play
// ("track 2 (A_AC3): gstreamer1.0-libav", "track 9 (A_ALAC): <its verdict>"), or why the
// file was not analysed to the end.
std::string VerdictDetail(const TFileVerdict& Verdict);

}  // namespace ambrel
