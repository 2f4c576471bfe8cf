#include "app/cli/BatchSummary.h"

#include <algorithm>

#include "app/cli/FileFailure.h"

namespace ambrel {

namespace {

// Characters, not bytes, so that columns of UTF-8 paths line up.
size_t Width(const std::string& Text) {
  return static_cast<size_t>(std::count_if(Text.begin(), Text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// "41 play", "1 plays"...: the status words of the tally, singular and plural.
struct TTallyWord {
  const char* Status;
  const char* One;
  const char* Many;
};
constexpr TTallyWord kTally[] = {
    {"plays", "plays", "play"},
    {"parses", "parses", "parse"},
    {"needs", "needs packages", "need packages"},
    {"cannot", "cannot play here", "cannot play here"},
    {"damaged", "damaged", "damaged"},
    {"stopped", "stopped", "stopped"},
};

}  // namespace

std::string VerdictDetail(const TFileVerdict& Verdict) {
  if (!Verdict.Reason.empty() && Verdict.Tracks.empty()) return Verdict.Reason;
  std::string detail;
  for (const TTrackShortfall& t : Verdict.Tracks) {
    if (!detail.empty()) detail += "; ";
    detail += "track " + std::to_string(t.TrackNumber);
    if (!t.CodecID.empty()) detail += " (" + t.CodecID + ")";
    detail += ": " + (t.Package.empty() ? t.Text : t.Package);
  }
  return detail;
}

TBatchSummary::TBatchSummary(std::ostream& Out, std::ostream& Notes, bool Aligned)
    : FOut(Out), FNotes(Notes), FAligned(Aligned) {}

void TBatchSummary::Add(const std::string& Path, const TFileVerdict& Verdict) {
  FStatuses.push_back(Verdict.Status);
  FPackages.insert(FPackages.end(), Verdict.Packages.begin(), Verdict.Packages.end());
  TLine line{Verdict.Status, OneLineText(Path), OneLineText(VerdictDetail(Verdict))};
  if (FAligned) {
    FHeld.push_back(std::move(line));
  } else {
    Write(line, 0, 0);
    FOut.flush();
  }
}

void TBatchSummary::Write(const TLine& Line, size_t StatusWidth, size_t PathWidth) {
  const auto field = [&](const std::string& Text, size_t Columns) {
    FOut << Text;
    if (!FAligned) return void(FOut << '\t');
    FOut << std::string(Columns + 2 - Width(Text), ' ');
  };
  field(Line.Status, StatusWidth);
  if (Line.Detail.empty()) {
    FOut << Line.Path << '\n';
    return;
  }
  field(Line.Path, PathWidth);
  FOut << Line.Detail << '\n';
}

void TBatchSummary::Finish() {
  size_t statusWidth = 0, pathWidth = 0;
  for (const TLine& line : FHeld) {
    statusWidth = std::max(statusWidth, Width(line.Status));
    pathWidth = std::max(pathWidth, Width(line.Path));
  }
  for (const TLine& line : FHeld) Write(line, statusWidth, pathWidth);
  FHeld.clear();
  std::ostream& notes = FAligned ? FOut : FNotes;
  const size_t files = FStatuses.size();
  notes << files << (files == 1 ? " file" : " files");
  const char* separator = ": ";
  for (const TTallyWord& word : kTally) {
    const auto count = static_cast<size_t>(std::count(FStatuses.begin(), FStatuses.end(), word.Status));
    if (count == 0) continue;
    notes << separator << count << ' ' << (count == 1 ? word.One : word.Many);
    separator = ", ";
  }
  notes << '\n';
  std::sort(FPackages.begin(), FPackages.end());
  FPackages.erase(std::unique(FPackages.begin(), FPackages.end()), FPackages.end());
  if (!FPackages.empty()) {
    const bool all = std::find(FStatuses.begin(), FStatuses.end(), "cannot") == FStatuses.end();
    notes << (all ? "to play them all: sudo apt install" : "to play more of them: sudo apt install");
    for (const std::string& package : FPackages) notes << ' ' << OneLineText(package);
    notes << '\n';
  }
  notes.flush();
}

bool TBatchSummary::AllPlay() const {
  return std::all_of(FStatuses.begin(), FStatuses.end(),
                     [](const std::string& s) { return s == "plays" || s == "parses"; });
}

}  // namespace ambrel
