// The chapter outline that the file report is written from holds what the full chapter
// records hold (order, nesting, times with the missing ends filled, hidden flag, first
// title) on real files and on made ones, whole and cut short anywhere; the lean parse,
// which keeps no atom record, builds the same outline.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "EbmlBuilder.h"
#include "TempDir.h"
#include "matroska/MatroskaParse.h"

using namespace ambrel;
using namespace ebml;

namespace {

constexpr int64_t kSecond = 1000000000;

// One line per edition and per atom, in file order, an atom before its nested atoms.
std::string Line(int depth, int64_t start, int64_t end, bool hidden, const std::string* title) {
  std::string line = std::to_string(depth);
  if (depth > 0) {
    line += " " + std::to_string(start) + "-" + std::to_string(end) + (hidden ? " hidden" : "");
    line += title ? " [" + *title + "]" : " none";
  }
  return line;
}

template <class List>
void FlattenAtoms(const List& atoms, int depth, std::vector<std::string>& out) {
  for (const TMatroskaChapterAtom& a : atoms) {
    out.push_back(Line(depth, a.ChapterTimeStart, a.ChapterTimeEnd, a.ChapterFlagHidden != 0,
                       a.Displays.empty() ? nullptr : &a.Displays.front().ChapString));
    FlattenAtoms(a.ChapterAtoms, depth + 1, out);
  }
}

std::vector<std::string> FromRecords(const TMatroskaReader& reader) {
  std::vector<std::string> out;
  for (const TMatroskaEditionEntry& e : reader.Editions) {
    out.push_back(Line(0, 0, 0, false, nullptr));
    FlattenAtoms(e.ChapterAtoms, 1, out);
  }
  return out;
}

std::vector<std::string> FromOutline(const TChapterOutline& outline) {
  std::vector<std::string> out;
  for (const TChapterOutlineEntry& e : outline.Entries()) {
    const std::string title(outline.Title(e));
    out.push_back(Line(e.Depth, e.Start, e.End, e.Hidden(), e.HasTitle() ? &title : nullptr));
  }
  return out;
}

// Parses bytes both ways and checks the outlines against the records; returns the number
// of outline entries.
size_t ExpectOutlineMatchesRecords(const std::string& bytes, const std::string& what) {
  TNullWriter log;
  const TMatroskaParse full = ParseMatroska(std::make_unique<TMemorySource>(bytes), log, nullptr, true);
  const TMatroskaParse lean = ParseMatroska(std::make_unique<TMemorySource>(bytes), log, nullptr, false);
  const std::vector<std::string> records = FromRecords(*full.Reader);
  EXPECT_EQ(FromOutline(full.Reader->ChapterOutline), records) << what;
  EXPECT_EQ(FromOutline(lean.Reader->ChapterOutline), records) << what;
  EXPECT_EQ(lean.Reader->Editions.size(), full.Reader->Editions.size()) << what;
  for (const TMatroskaEditionEntry& e : lean.Reader->Editions) EXPECT_TRUE(e.ChapterAtoms.empty()) << what;
  return records.size();
}

std::string Atom(int64_t start, std::initializer_list<std::string> more = {}) {
  std::string data = Uint(kChapterTimeStart, static_cast<uint64_t>(start));
  for (const std::string& m : more) data += m;
  return Element(kChapterAtom, data);
}

std::string Display(const std::string& title) { return Master(kChapterDisplay, {Str(kChapString, title)}); }

// Two editions; missing and given ends, nested atoms whose last ends with its parent,
// a next sibling starting at 0, hidden atoms, empty titles, titles with NUL bytes and
// markup, several displays, an empty display, and a nesting deeper than the limit.
std::string MadeFile() {
  std::string deep = Atom(9 * kSecond, {Display("deepest")});
  for (int i = 0; i < kMaxNestingDepth + 3; ++i) deep = Atom(8 * kSecond, {Display("level"), deep});
  const std::string first = Master(
      kEditionEntry,
      {Atom(0, {Display("Intro <b>&"), Display("second"),
                Atom(kSecond, {Uint(kChapterFlagHidden, 1)}), Atom(2 * kSecond, {Display("")}), Atom(0, {Uint(kChapterTimeEnd, 3)})}),
       Atom(5 * kSecond, {Uint(kChapterTimeEnd, 7 * kSecond), Display(std::string("nul\0byte", 8)),
                          Atom(6 * kSecond, {Master(kChapterDisplay, {})})}),
       Atom(0), Atom(0, {Uint(kChapterFlagHidden, 1)}), deep});
  const std::string second = Master(kEditionEntry, {Uint(kEditionUID, 7), Atom(3 * kSecond, {Display("alone")})});
  return Header() + Segment(Master(kInfo, {Uint(kTimecodeScale, 1000000), Float8(kDuration, 20000)}) +
                            Master(kChapters, {first, second, Master(kEditionEntry, {})}) + Cluster());
}

}  // namespace

TEST(ChapterOutline, HoldsWhatTheRecordsHoldOnEverySample) {
  int withChapters = 0;
  for (const auto& entry : std::filesystem::directory_iterator(AMBREL_TEST_DATA_DIR)) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".mkv" && ext != ".mka" && ext != ".mks" && ext != ".webm") continue;
    if (ExpectOutlineMatchesRecords(ReadFile(entry.path()), entry.path().string()) > 0) ++withChapters;
  }
  EXPECT_GE(withChapters, 2);
}

TEST(ChapterOutline, HoldsWhatTheRecordsHoldOnAMadeFileWholeAndCutAnywhere) {
  const std::string file = MadeFile();
  // 3 editions, 8 atoms of the first tree, the deep chain up to the limit, 1 in the second.
  EXPECT_EQ(ExpectOutlineMatchesRecords(file, "whole"), 3u + 8u + kMaxNestingDepth + 1u);
  TNullWriter log;
  const TMatroskaParse whole = ParseMatroska(std::make_unique<TMemorySource>(file), log, nullptr, false);
  const std::vector<std::string> lines = FromOutline(whole.Reader->ChapterOutline);
  ASSERT_GE(lines.size(), 8u);
  EXPECT_EQ(lines[1], "1 0-5000000000 [Intro <b>&]");
  EXPECT_EQ(lines[2], "2 1000000000-2000000000 hidden none");
  EXPECT_EQ(lines[3], "2 2000000000-0 []");  // ends where its next sibling starts: at 0
  EXPECT_EQ(lines[4], "2 0-3 none");
  EXPECT_EQ(lines[5], "1 5000000000-7000000000 [" + std::string("nul\0byte", 8) + "]");
  EXPECT_EQ(lines[6], "2 6000000000-7000000000 []");  // the last nested atom ends with its parent
  EXPECT_EQ(lines.back(), "0");
  // Cut short anywhere, the parse drops what it could not finish the same way.
  for (size_t size = 0; size < file.size(); size += 5) ExpectOutlineMatchesRecords(file.substr(0, size), "cut");
}

TEST(ChapterOutline, ClearEmptiesItAndDropsLeaveNoTitleBehind) {
  TChapterOutline outline;
  TMatroskaChapterAtom atom;
  atom.Displays.emplace_back().ChapString = "kept";
  outline.Complete(outline.Open(1), &atom);
  const size_t dropped = outline.Open(1);
  atom.Displays.front().ChapString = "dropped";
  outline.Complete(outline.Open(2), &atom);
  outline.Drop(dropped);
  atom.Displays.front().ChapString = "after";
  outline.Complete(outline.Open(1), &atom);
  ASSERT_EQ(outline.Entries().size(), 2u);
  EXPECT_EQ(outline.Title(outline.Entries()[0]), "kept");
  EXPECT_EQ(outline.Title(outline.Entries()[1]), "after");
  outline.Clear();
  EXPECT_TRUE(outline.Entries().empty());
}
