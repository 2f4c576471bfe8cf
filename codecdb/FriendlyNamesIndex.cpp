#include "codecdb/FriendlyNamesIndex.h"

#include <cstring>

#include "base/TextUtil.h"

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
  return line.Start <= text.size() ? text.substr(line.Start, line.KeyLength) : std::string_view();
}

constexpr std::size_t kHead = 4 + 12;  // the magic word, the text size, the two counts

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

// A 64-bit fingerprint of first and then second, which ties a saved index to the text it
// was made for: any change of a byte, of either part or of their sizes, changes it but for
// a chance of one in 2^64. Four lanes of multiply-rotate over 8-byte words, so that the
// text is read at the speed of a copy.
std::uint64_t Fingerprint(std::string_view first, std::string_view second) {
  constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ull;
  std::uint64_t lanes[4] = {first.size(), second.size() ^ kMul, 0x243F6A8885A308D3ull, 0x13198A2E03707344ull};
  const auto mix = [](std::uint64_t lane, std::uint64_t word) {
    lane = (lane ^ word) * kMul;
    return (lane << 29) | (lane >> 35);
  };
  for (std::string_view part : {first, second}) {
    const char* at = part.data();
    std::size_t rest = part.size();
    for (; rest >= 32; at += 32, rest -= 32) {
      for (int i = 0; i < 4; ++i) {
        std::uint64_t word;
        std::memcpy(&word, at + 8 * i, 8);
        lanes[i] = mix(lanes[i], word);
      }
    }
    for (int i = 0; rest > 0; ++i) {
      std::uint64_t word = 0;
      const std::size_t take = rest < 8 ? rest : 8;
      std::memcpy(&word, at, take);
      lanes[i] = mix(lanes[i], word ^ (static_cast<std::uint64_t>(take) << 56));
      at += take;
      rest -= take;
    }
    for (std::uint64_t& lane : lanes) lane = mix(lane, 0);  // the part boundary
  }
  std::uint64_t h = 0;
  for (std::uint64_t lane : lanes) h = mix(h, lane);
  return h ^ (h >> 31);
}

}  // namespace

void TFriendlyIndex::Build(std::string_view text) {
  FSaved = {};
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

TFriendlyLine TFriendlyIndex::Line(std::size_t i) const {
  if (FSaved.empty()) return Lines[i];
  const std::size_t at = kHead + 12 * i;
  const std::uint32_t keyLength = WordAt(FSaved, at + 8);
  return {WordAt(FSaved, at), WordAt(FSaved, at + 4), keyLength == kNoKey ? std::string_view::npos : keyLength};
}

std::uint32_t TFriendlyIndex::Slot(std::size_t i) const {
  return FSaved.empty() ? Slots[i] : WordAt(FSaved, kHead + 12 * FLineCount + 4 * i);
}

std::size_t TFriendlyIndex::SlotOf(std::string_view text, std::string_view key) const {
  const std::size_t count = SlotCount();
  const std::size_t mask = count - 1;
  std::size_t at = HashKey(key) & mask;
  // A slot past the lines ends the search like an empty one; so does having looked at
  // every slot.
  for (std::size_t n = 0; n < count; ++n, at = (at + 1) & mask) {
    const std::uint32_t slot = Slot(at);
    if (slot == 0 || slot > LineCount()) return at;
    if (SameTextAscii(KeyOf(text, Line(slot - 1)), key)) return at;
  }
  return at;
}

// Saved form: the magic word, then 32-bit words in the machine's order (the form is made
// and read on the same machine): the text's size, the line count, the slot count, each
// line's start, length and key length (all ones for none), then the slots; last, the
// fingerprint of the text and of those words.
std::string TFriendlyIndex::Save(std::string_view text) const {
  std::string out(kMagic);
  PutWord(out, static_cast<std::uint32_t>(text.size()));
  PutWord(out, static_cast<std::uint32_t>(LineCount()));
  PutWord(out, static_cast<std::uint32_t>(SlotCount()));
  for (std::size_t i = 0; i < LineCount(); ++i) {
    const TFriendlyLine line = Line(i);
    PutWord(out, static_cast<std::uint32_t>(line.Start));
    PutWord(out, static_cast<std::uint32_t>(line.Length));
    PutWord(out, line.KeyLength == std::string_view::npos ? kNoKey : static_cast<std::uint32_t>(line.KeyLength));
  }
  for (std::size_t i = 0; i < SlotCount(); ++i) PutWord(out, Slot(i));
  const std::uint64_t print = Fingerprint(text, std::string_view(out).substr(kMagic.size()));
  char bytes[8];
  std::memcpy(bytes, &print, 8);
  out.append(bytes, 8);
  return out;
}

bool TFriendlyIndex::Load(std::string_view saved, std::string_view text) {
  *this = TFriendlyIndex();
  if (saved.size() < kHead || saved.substr(0, kMagic.size()) != kMagic) return false;
  const std::size_t lineCount = WordAt(saved, 4 + 4);
  const std::size_t slotCount = WordAt(saved, 4 + 8);
  const std::size_t words = kHead + 12 * lineCount + 4 * slotCount;
  if (WordAt(saved, 4) != text.size() || slotCount < 16 || (slotCount & (slotCount - 1)) != 0 ||
      saved.size() != words + 8) {
    return false;
  }
  // The form belongs to this text, made by the build from it: its fingerprint says so in
  // one pass over the bytes, where checking each line and slot against the text would
  // cost several times that.
  std::uint64_t print;
  std::memcpy(&print, saved.data() + words, 8);
  if (print != Fingerprint(text, saved.substr(kMagic.size(), words - kMagic.size()))) return false;
  FSaved = saved;
  FLineCount = lineCount;
  FSlotCount = slotCount;
  return true;
}

}  // namespace ambrel
