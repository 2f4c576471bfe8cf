#include "app/FriendlyNamesIndex.h"

#include <cstring>

#include "report/TextUtil.h"

namespace ambrel {

namespace {

constexpr std::string_view kMagic = "AFN1";
constexpr std::uint32_t kNoKey = 0xFFFFFFFFu;

// FNV-1a over the upper-cased bytes, so keys that differ only in ASCII case meet.
std::size_t HashKey(std::string_view key) {
  std::size_t h = 14695981039346656037ull;
  for (char c : key) {
    h ^= static_cast<unsigned char>(AsciiUpperChar(c));
    h *= 1099511628211ull;
  }
  return h;
}

// Where the line that starts at start ends (its length), and where the next one starts.
std::size_t LineEnd(std::string_view text, std::size_t start, std::size_t& next) {
  const char* base = text.data() + start;
  const std::size_t rest = text.size() - start;
  const void* lf = std::memchr(base, '\n', rest);
  const std::size_t lfAt = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - base) : rest;
  const void* cr = std::memchr(base, '\r', lfAt);
  if (cr) {
    const std::size_t crAt = static_cast<std::size_t>(static_cast<const char*>(cr) - base);
    next = start + crAt + (crAt + 1 == lfAt ? 2 : 1);
    return crAt;
  }
  next = start + lfAt + 1;
  return lfAt;
}

std::string_view KeyOf(std::string_view text, const TFriendlyLine& line) {
  return text.substr(line.Start, line.KeyLength);
}

void PutWord(std::string& out, std::uint32_t value) {
  char bytes[4];
  std::memcpy(bytes, &value, 4);
  out.append(bytes, 4);
}

std::uint32_t WordAt(std::string_view data, std::size_t at) {
  std::uint32_t value;
  std::memcpy(&value, data.data() + at, 4);
  return value;
}

// Whether line lies in text where a split would have put it: at expectedStart, ended by
// a line break or the text's end, with a '=' where its key ends. Checked in constant time
// per line (the saved form is made by the build from this very text; this catches a
// form that belongs to other text). next is where the following line starts.
bool LineFits(std::string_view text, const TFriendlyLine& line, std::size_t expectedStart, std::size_t& next) {
  if (line.Start != expectedStart || line.Start >= text.size() || line.Length > text.size() - line.Start) {
    return false;
  }
  const std::size_t end = line.Start + line.Length;
  if (end < text.size() && text[end] != '\r' && text[end] != '\n') return false;
  if (line.KeyLength != std::string_view::npos && (line.KeyLength >= line.Length || text[line.Start + line.KeyLength] != '=')) {
    return false;
  }
  next = end + (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n' ? 2 : 1);
  return true;
}

}  // namespace

void TFriendlyIndex::Build(std::string_view text) {
  Lines.clear();
  Lines.reserve(text.size() / 24);  // about the embedded table's mean line length
  std::size_t keyed = 0;
  for (std::size_t start = 0, next = 0; start < text.size(); start = next) {
    TFriendlyLine line;
    line.Start = start;
    line.Length = LineEnd(text, start, next);
    if (const void* eq = std::memchr(text.data() + start, '=', line.Length)) {
      line.KeyLength = static_cast<std::size_t>(static_cast<const char*>(eq) - (text.data() + start));
      ++keyed;
    }
    Lines.push_back(line);
  }
  std::size_t size = 16;
  while (size < 2 * keyed) size *= 2;
  Slots.assign(size, 0);
  for (std::size_t i = 0; i < Lines.size(); ++i) {
    if (Lines[i].KeyLength == std::string_view::npos) continue;
    std::uint32_t& slot = Slots[SlotOf(text, KeyOf(text, Lines[i]))];
    if (slot == 0) slot = static_cast<std::uint32_t>(i + 1);  // the first row wins
  }
}

std::size_t TFriendlyIndex::SlotOf(std::string_view text, std::string_view key) const {
  const std::size_t mask = Slots.size() - 1;
  for (std::size_t at = HashKey(key) & mask;; at = (at + 1) & mask) {
    const std::uint32_t slot = Slots[at];
    if (slot == 0) return at;
    if (SameTextAscii(KeyOf(text, Lines[slot - 1]), key)) return at;
  }
}

// Saved form: the magic word, then 32-bit words in the machine's order (the form is made
// and read on the same machine): the text's size, the line count, the slot count, each
// line's start, length and key length (all ones for none), then the slots.
std::string TFriendlyIndex::Save(std::string_view text) const {
  std::string out(kMagic);
  PutWord(out, static_cast<std::uint32_t>(text.size()));
  PutWord(out, static_cast<std::uint32_t>(Lines.size()));
  PutWord(out, static_cast<std::uint32_t>(Slots.size()));
  for (const TFriendlyLine& line : Lines) {
    PutWord(out, static_cast<std::uint32_t>(line.Start));
    PutWord(out, static_cast<std::uint32_t>(line.Length));
    PutWord(out, line.KeyLength == std::string_view::npos ? kNoKey : static_cast<std::uint32_t>(line.KeyLength));
  }
  for (std::uint32_t slot : Slots) PutWord(out, slot);
  return out;
}

bool TFriendlyIndex::Load(std::string_view saved, std::string_view text) {
  Lines.clear();
  Slots.clear();
  const std::size_t head = kMagic.size() + 12;
  if (saved.size() < head || saved.substr(0, kMagic.size()) != kMagic) return false;
  const std::size_t lineCount = WordAt(saved, 4 + 4);
  const std::size_t slotCount = WordAt(saved, 4 + 8);
  if (WordAt(saved, 4) != text.size() || slotCount < 16 || (slotCount & (slotCount - 1)) != 0 ||
      saved.size() != head + 12 * lineCount + 4 * slotCount) {
    return false;
  }
  Lines.resize(lineCount);
  std::size_t at = head;
  std::size_t next = 0;
  for (TFriendlyLine& line : Lines) {
    const std::size_t expectedStart = next;
    line.Start = WordAt(saved, at);
    line.Length = WordAt(saved, at + 4);
    const std::uint32_t keyLength = WordAt(saved, at + 8);
    line.KeyLength = keyLength == kNoKey ? std::string_view::npos : keyLength;
    at += 12;
    if (!LineFits(text, line, expectedStart, next)) {
      Lines.clear();
      return false;
    }
  }
  Slots.resize(slotCount);
  std::memcpy(Slots.data(), saved.data() + at, 4 * slotCount);
  // The lines must cover the text, every slot name a keyed line or none, and one slot at
  // least be empty (a lookup of a missing key stops there).
  std::uint32_t highest = 0;
  std::size_t empty = 0;
  for (const std::uint32_t slot : Slots) {
    highest = slot > highest ? slot : highest;
    empty += slot == 0;
  }
  bool fits = next >= text.size() && highest <= lineCount && empty > 0;
  for (std::size_t i = 0; fits && i < slotCount; ++i) {
    fits = Slots[i] == 0 || Lines[Slots[i] - 1].KeyLength != std::string_view::npos;
  }
  if (!fits) {
    Lines.clear();
    Slots.clear();
    return false;
  }
  return true;
}

}  // namespace ambrel
