#include "matroska/EbmlReader.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <type_traits>

#include "base/FloatFormat.h"
#include "matroska/MatroskaError.h"
#include "report/LogWriter.h"
#include "base/TextUtil.h"
#include "base/Verbatim.h"

namespace ambrel {

namespace {

// 64-bit addition that wraps like the file API's signed arithmetic.
int64_t WrapAdd(int64_t A, int64_t B) {
  return static_cast<int64_t>(static_cast<uint64_t>(A) + static_cast<uint64_t>(B));
}

// One variable-length field: its bytes read big-endian with the length marker included,
// the marker's bit, and its length (0 when a byte was missing).
struct TVint {
  uint64_t Value = 0;
  uint64_t Mask = 0x80;
  uint32_t Length = 0;
};

// Reads one field of at most MaxLength bytes from Next(), which returns -1 when there is
// none. Without a marker in MaxLength bytes the field ends there all the same, one byte
// longer and with Value shifted once more (an ID then counts 5 bytes, as it always has).
template <class NextByte>
TVint DecodeVint(NextByte Next, uint32_t MaxLength) {
  TVint v;
  uint32_t k = 0;
  while (k < MaxLength) {
    const int32_t b = Next();
    if (b < 0) return v;
    v.Value |= static_cast<uint32_t>(b);
    if ((v.Value & v.Mask) == v.Mask) break;  // the length-marker bit was found
    v.Mask <<= 7;
    v.Value <<= 8;
    ++k;
  }
  v.Length = k + 1;
  return v;
}

}  // namespace

// ---- TEbmlElement -----------------------------------------------------------

// An ID keeps its marker bit and is up to 4 bytes long.
template <class NextByte>
uint32_t TEbmlElement::DecodeID(NextByte Next) {
  const TVint v = DecodeVint(Next, 4);
  ID = static_cast<uint32_t>(v.Value);
  if (v.Length != 0) IDLength = v.Length;
  return v.Length;
}

// A size loses its marker bit and is up to 8 bytes long.
template <class NextByte>
uint32_t TEbmlElement::DecodeSize(NextByte Next) {
  const TVint v = DecodeVint(Next, 8);
  if (v.Length == 0) {
    DataSize = static_cast<int64_t>(v.Value);
    return 0;
  }
  DataSize = static_cast<int64_t>(v.Value & ~v.Mask);
  SizeLength = v.Length;
  TotalSize = WrapAdd(static_cast<int64_t>(IDLength) + SizeLength, DataSize);
  return SizeLength;
}

uint32_t TEbmlElement::ReadID() {
  Position = Reader->FileReader.GetPosition();
  return DecodeID([this] { return Reader->FileReader.ReadByte(); });
}

uint32_t TEbmlElement::ReadSize() { return DecodeSize([this] { return Reader->FileReader.ReadByte(); }); }

uint32_t TEbmlElement::ReadHeader() {
  TFileReader& file = Reader->FileReader;
  constexpr int64_t kLongestHeader = 12;
  if (const uint8_t* bytes = file.PeekBuffered(kLongestHeader)) {
    // The whole header is in the read-ahead buffer: decoded from memory, one move after.
    Position = file.GetPosition();
    size_t used = 0;
    const auto next = [&] { return static_cast<int32_t>(bytes[used++]); };
    DecodeID(next);
    DecodeSize(next);
    file.TakeBuffered(static_cast<int64_t>(used));
    return IDLength + SizeLength;
  }
  if (ReadID() == 0) return 0;
  if (ReadSize() == 0) return 0;
  return IDLength + SizeLength;
}

void TEbmlElement::Skip() {
  LogSkip();
  Reader->FileReader.Seek(DataSize, 1);
}

void TEbmlElement::LogSkip() {
  if (!Reader->Logging()) return;
  char line[96] = "Skipping element with ID ";
  char* end = line + std::strlen(line);
  end = std::to_chars(end, line + sizeof line, ID, 16).ptr;
  for (char* c = end - 1; c >= line && *c != ' '; --c) *c = AsciiUpperChar(*c);
  const std::string_view at = " at position ";
  end = std::copy(at.begin(), at.end(), end);
  end = std::to_chars(end, line + sizeof line, Position).ptr;
  Reader->LogLine(std::string_view(line, static_cast<size_t>(end - line)));
}

void TEbmlElement::ReadError(std::string_view Operation, std::string_view Name,
                             std::string_view Suffix) const {
  throw EMatroskaError(std::string(Operation) + " " + std::string(Name) + " : read error at position " +
                           std::to_string(Position) + std::string(Suffix),
                       Position, std::string(Name), TotalSize);
}

// True when the element's data runs past the end of the file: such a value is refused
// before anything is allocated or read.
bool TEbmlElement::ExceedsFile() const {
  const int64_t size = Reader->FileReader.GetSize();
  if (size < 0) return false;
  return DataSize > size - Reader->FileReader.GetPosition();
}

uint64_t TEbmlElement::ReadValueUINT(std::string_view Name) {
  if (ExceedsFile()) ReadError("ReadValueUINT", Name);
  uint64_t value = 0;
  // The count is the low 32 bits of the size taken as signed; only the last eight bytes
  // of a longer integer remain.
  int32_t count = static_cast<int32_t>(static_cast<uint32_t>(DataSize));
  if (count > 8 && Reader->FileReader.GetSize() >= 0) {
    // The bytes are known to be there: go straight to the last eight.
    Reader->FileReader.Seek(count - 8, 1);
    count = 8;
  }
  if (count > 0 && count <= 8) {
    if (const uint8_t* bytes = Reader->FileReader.TakeBuffered(count)) {
      for (int32_t i = 0; i < count; ++i) value = (value << 8) | bytes[i];
      count = 0;
    }
  }
  uint8_t chunk[4096];
  while (count > 0) {
    const int32_t want = count < static_cast<int32_t>(sizeof chunk) ? count : static_cast<int32_t>(sizeof chunk);
    if (Reader->FileReader.Read(chunk, want) != want) ReadError("ReadValueUINT", Name);
    for (int32_t i = 0; i < want; ++i) value = (value << 8) | chunk[i];
    count -= want;
  }
  if (Reader->Logging()) Reader->LogValue(Name, std::to_string(static_cast<int64_t>(value)));
  return value;
}

void TEbmlElement::ReadValueString(std::string_view Name, std::string& Value) {
  if (ExceedsFile() || DataSize > std::numeric_limits<int32_t>::max())
    ReadError("ReadValueString", Name);
  if (const uint8_t* bytes = Reader->FileReader.TakeBuffered(DataSize)) {
    // Straight from the read-ahead buffer into the record, trimmed on the way.
    Value.assign(TrimBlank(std::string_view(reinterpret_cast<const char*>(bytes), static_cast<size_t>(DataSize))));
  } else {
    if (!ReadData(Value)) ReadError("ReadValueString", Name);
    const std::string_view trimmed = TrimBlank(Value);
    if (trimmed.size() != Value.size()) Value = std::string(trimmed);
  }
  if (Reader->Logging()) Reader->LogValue(Name, Value);
}

double TEbmlElement::ReadValueFloat(std::string_view Name) {
  if (DataSize != 4 && DataSize != 8) {
    throw EMatroskaError("ReadValueFloat " + std::string(Name) + " : Float wrong length (" +
                             std::to_string(DataSize) + ") at position " + std::to_string(Position) +
                             " (length must be 4 or 8).",
                         Position, std::string(Name), TotalSize);
  }
  if (ExceedsFile()) ReadError("ReadValueFloat", Name);
  uint8_t bytes[8];
  const int32_t count = static_cast<int32_t>(DataSize);
  if (Reader->FileReader.Read(bytes, count) != count) ReadError("ReadValueFloat", Name);
  uint64_t bits = 0;
  for (int32_t i = 0; i < count; ++i) bits = (bits << 8) | bytes[i];
  double value;
  if (count == 4) {
    const auto bits32 = static_cast<uint32_t>(bits);
    float f;
    std::memcpy(&f, &bits32, sizeof f);
    value = f;
  } else {
    std::memcpy(&value, &bits, sizeof value);
  }
  if (Reader->Logging()) Reader->LogValue(Name, FloatToStrGeneral(value));
  return value;
}

void TEbmlElement::ReadValueBinary(std::vector<uint8_t>& Data, std::string_view Name) {
  if (ExceedsFile() || DataSize > std::numeric_limits<int32_t>::max())
    ReadError("ReadValueBinary", Name, ".");
  if (!ReadData(Data)) ReadError("ReadValueBinary", Name, ".");
}

// Reads the element's DataSize bytes into Out; false when the source ends first. The
// buffer grows only as bytes arrive, so a size field that claims far more than a source
// of unknown size holds costs no more memory than what was actually read.
template <class Buffer>
bool TEbmlElement::ReadData(Buffer& Out) {
  constexpr int64_t kChunk = 1 << 20;
  if (const uint8_t* bytes = Reader->FileReader.TakeBuffered(DataSize)) {
    if constexpr (std::is_same_v<Buffer, std::string>) {
      Out.assign(reinterpret_cast<const char*>(bytes), static_cast<size_t>(DataSize));
    } else {
      Out.assign(bytes, bytes + DataSize);
    }
    return true;
  }
  Out.clear();
  if (Reader->FileReader.GetSize() >= 0) Out.reserve(static_cast<size_t>(DataSize));
  while (static_cast<int64_t>(Out.size()) < DataSize) {
    const size_t done = Out.size();
    const auto want = static_cast<int32_t>(std::min(kChunk, DataSize - static_cast<int64_t>(done)));
    Out.resize(done + static_cast<size_t>(want));
    const int32_t n = Reader->FileReader.Read(Out.data() + done, want);
    if (n != want) {
      Out.resize(done + static_cast<size_t>(std::max(n, 0)));
      return false;
    }
  }
  return true;
}

// ---- TEbmlReader ------------------------------------------------------------

TEbmlReader::TEbmlReader(TFileReader& FileReader, TLogWriter& ParseLog)
    : FileReader(FileReader), ParseLog(ParseLog), FLogging(ParseLog.KeepsText()) {}

void TEbmlReader::EnterElement(const TEbmlElement& Element) {
  FStack.push_back(Element);
}

void TEbmlReader::LeaveElement() {
  if (!FStack.empty()) FStack.pop_back();
}

void TEbmlReader::LeaveTo(int32_t Depth) {
  while (Level() > Depth) FStack.pop_back();
}

void TEbmlReader::LeaveUntil(uint32_t ID) {
  while (!FStack.empty() && FStack.back().ID != ID) FStack.pop_back();
}

// Starts FLine with the indentation of the current level: four spaces per open element
// below the outermost.
void TEbmlReader::Indent() {
  const int32_t n = Level() - 1;
  FLine.assign(n > 0 ? static_cast<size_t>(n) * 4 : 0, ' ');
}

void TEbmlReader::LogLine(std::string_view Text) {
  if (!Logging()) return;
  Indent();
  FLine.append(Text);
  ParseLog.WriteLine(FLine);
  FLastText.assign(Text);
  FLastIsValue = false;
}

void TEbmlReader::LogValue(std::string_view Name, std::string_view Value) {
  if (!Logging()) return;
  Indent();
  FLine.append(Name);
  ParseLog.WriteField(FLine, Verbatim(Value));
  // A blank value writes no line.
  const std::string_view shown = TrimBlank(Value);
  if (shown.empty()) return;
  FLastText.assign(Name);
  FLastValue.assign(shown);
  FLastIsValue = true;
}

std::string TEbmlReader::LastLogLine() const {
  if (FLastIsValue) return FLastText + " : " + FLastValue;
  // The line's own text, with the wrappings of file text undone.
  std::string text;
  verbatim::ForEachSegment(FLastText, [&](bool, std::string_view piece) { text.append(piece); });
  return text;
}

}  // namespace ambrel
