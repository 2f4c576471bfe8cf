#include "matroska/ChapterOutline.h"

#include <array>
#include <optional>

#include "matroska/MatroskaHelper.h"
#include "matroska/MatroskaRecords.h"

namespace ambrel {

size_t TChapterOutline::Open(int Depth) {
  TChapterOutlineEntry& entry = FEntries.emplace_back();
  entry.Depth = static_cast<uint8_t>(Depth);
  entry.TitleOffset = static_cast<uint64_t>(FTitles.Position());
  return FEntries.size() - 1;
}

void TChapterOutline::Complete(size_t Mark, const TMatroskaChapterAtom* Atom) {
  if (!Atom) return;
  TChapterOutlineEntry& entry = FEntries[Mark];
  entry.Start = Atom->ChapterTimeStart;
  entry.End = Atom->ChapterTimeEnd;
  if (Atom->ChapterFlagHidden != 0) entry.Flags |= TChapterOutlineEntry::kHidden;
  if (!Atom->Displays.empty()) {
    const std::string& title = Atom->Displays.front().ChapString;
    entry.Flags |= TChapterOutlineEntry::kHasTitle;
    // The titles of its nested atoms, complete before it, were stored after its mark.
    entry.TitleOffset = static_cast<uint64_t>(FTitles.Position());
    entry.TitleSize = static_cast<uint32_t>(title.size());
    FTitles.Write(title);
  }
}

void TChapterOutline::Drop(size_t Mark) {
  if (Mark >= FEntries.size()) return;
  FTitles.Seek(static_cast<int64_t>(FEntries[Mark].TitleOffset));
  FEntries.resize(Mark);
}

void TChapterOutline::FillEndTimes(int64_t SegmentEnd) {
  constexpr size_t kLevels = kMaxNestingDepth + 1;
  // From the last entry back: the start of the next sibling at each depth, forgotten
  // when a shallower entry (the end of the siblings' list) is passed.
  std::array<std::optional<int64_t>, kLevels> next{};
  size_t deepest = 0;  // no depth below it holds a start
  for (size_t i = FEntries.size(); i-- > 0;) {
    TChapterOutlineEntry& entry = FEntries[i];
    const size_t depth = entry.Depth < kLevels ? entry.Depth : kLevels - 1;
    if (!entry.IsEdition() && entry.End == 0) {
      if (next[depth]) {
        entry.End = *next[depth];
      } else {
        entry.Flags |= TChapterOutlineEntry::kEndFromParent;
      }
    }
    next[depth] = entry.Start;
    for (size_t d = depth + 1; d <= deepest; ++d) next[d].reset();
    deepest = depth;
  }
  // Then in file order, where a parent comes before its nested atoms: the last atom of
  // each list ends with its parent.
  std::array<int64_t, kLevels> parentEnd{};
  parentEnd[0] = SegmentEnd;
  for (TChapterOutlineEntry& entry : FEntries) {
    const size_t depth = entry.Depth < kLevels ? entry.Depth : kLevels - 1;
    if (entry.IsEdition()) {
      parentEnd[0] = SegmentEnd;
      continue;
    }
    if (entry.Flags & TChapterOutlineEntry::kEndFromParent) {
      entry.End = parentEnd[depth - 1];
      entry.Flags &= static_cast<uint8_t>(~TChapterOutlineEntry::kEndFromParent);
    }
    parentEnd[depth] = entry.End;
  }
}

void TChapterOutline::Clear() {
  FEntries.clear();
  FTitles.Seek(0);
}

}  // namespace ambrel
