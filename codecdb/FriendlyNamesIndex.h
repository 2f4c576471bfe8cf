// The index of a friendly-names table's text: where each line starts, ends and has its
// first '=', and an open-addressing table over the keyed lines. Made when a table is
// loaded, or for the embedded table at build time and adopted from its saved form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ambrel {

struct TFriendlyLine {
  std::size_t Start = 0;
  std::size_t Length = 0;
  std::size_t KeyLength = std::string_view::npos;  // up to the first '='; npos: no '='
};

struct TFriendlyIndex {
  // As Build makes them; an adopted saved form is read where it is instead (see Load),
  // so readers go through LineCount, Line, SlotCount and Slot.
  std::vector<TFriendlyLine> Lines;
  // A power of two in size: 1 + the line's position in Lines, 0 for an empty slot.
  std::vector<std::uint32_t> Slots;

  std::size_t LineCount() const { return FSaved.empty() ? Lines.size() : FLineCount; }
  TFriendlyLine Line(std::size_t i) const;
  std::size_t SlotCount() const { return FSaved.empty() ? Slots.size() : FSlotCount; }
  std::uint32_t Slot(std::size_t i) const;

  // Indexes the lines of text, split at CR LF, LF or CR; the first line with a key
  // (compared ignoring ASCII case) holds its slot.
  void Build(std::string_view text);
  // The slot of key: the one holding its first line, or the empty one where it would go.
  std::size_t SlotOf(std::string_view text, std::string_view key) const;

  // The index in a compact binary form, for the same text to adopt later.
  std::string Save(std::string_view text) const;
  // Adopts a saved index when it was made for text (its fingerprint of the text and of
  // the index must match), reading it where it is: saved must outlive the index. False,
  // with the index left empty, when it does not fit. Lookups stay within the saved form
  // whatever its slots hold.
  bool Load(std::string_view saved, std::string_view text);

 private:
  std::string_view FSaved;  // the adopted form; empty: Lines and Slots hold the index
  std::size_t FLineCount = 0;
  std::size_t FSlotCount = 0;
};

}  // namespace ambrel
