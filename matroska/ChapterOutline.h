// The chapters as the file report shows them: every edition and every chapter atom in
// file order (an atom before its nested atoms), each a fixed-size entry with its depth,
// times and hidden flag, and the first display's string in one buffer shared by all.
// A file with hundreds of thousands of atoms costs a few dozen bytes per atom.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string_view>

#include "base/ByteStream.h"

namespace ambrel {

struct TMatroskaChapterAtom;

struct TChapterOutlineEntry {
  int64_t Start = 0;       // nanoseconds
  int64_t End = 0;         // nanoseconds; filled by FillEndTimes when 0
  uint64_t TitleOffset = 0;
  uint32_t TitleSize = 0;
  uint8_t Depth = 0;       // 0: an edition; 1: a top-level atom; 2: nested in one; ...
  uint8_t Flags = 0;       // kHidden, kHasTitle, kEndFromParent

  static constexpr uint8_t kHidden = 1;         // ChapterFlagHidden is not 0
  static constexpr uint8_t kHasTitle = 2;       // the atom has a display (its title may be empty)
  static constexpr uint8_t kEndFromParent = 4;  // no end and no next sibling: ends with its parent

  bool IsEdition() const { return Depth == 0; }
  bool Hidden() const { return Flags & kHidden; }
  bool HasTitle() const { return Flags & kHasTitle; }
};

class TChapterOutline {
 public:
  // Opens an entry at Depth, read from here on; returns its mark. The entries opened
  // after it (its nested atoms) follow it.
  size_t Open(int Depth);
  // The edition or atom opened at Mark was read to its end: Atom (null for an edition)
  // gives its times, its hidden flag and its first display's string.
  void Complete(size_t Mark, const TMatroskaChapterAtom* Atom);
  // The entry opened at Mark was cut short: it goes, with everything opened after it.
  void Drop(size_t Mark);
  // Gives every atom whose end is 0 its next sibling's start, or its parent's end (the
  // segment's, SegmentEnd, for a top-level atom) when it is the last of its list.
  void FillEndTimes(int64_t SegmentEnd);
  void Clear();

  const std::deque<TChapterOutlineEntry>& Entries() const { return FEntries; }
  std::string_view Title(const TChapterOutlineEntry& Entry) const {
    return FTitles.Bytes().substr(Entry.TitleOffset, Entry.TitleSize);
  }

 private:
  std::deque<TChapterOutlineEntry> FEntries;  // grows in blocks that never move
  TByteStream FTitles;                        // grows in place where it can
};

}  // namespace ambrel
