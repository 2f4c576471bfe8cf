// EBML primitives: the header of one element (ID and data size in EBML's variable-length
// coding) with its value readers, and the reader that keeps the stack of open elements
// and writes the parsing log.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "matroska/FileReader.h"
#include "matroska/MatroskaRecords.h"

namespace ambrel {

class TLogWriter;
class TEbmlReader;

class TEbmlElement {
 public:
  explicit TEbmlElement(TEbmlReader* Reader) : Reader(Reader) {}

  TEbmlReader* Reader;   // not owned
  int64_t Position = 0;  // file position of the first ID byte
  int64_t TotalSize = 0; // IDLength + SizeLength + DataSize
  uint32_t ID = 0;       // ID bytes as a big-endian number, marker bit included
  uint32_t IDLength = 0;
  int64_t DataSize = 0;  // marker bit removed
  uint32_t SizeLength = 0;

  // Each returns the length read, 0 when a read returned no byte.
  uint32_t ReadID();
  uint32_t ReadSize();
  uint32_t ReadHeader();

  // Logs "Skipping element ..." and moves past the element's data.
  void Skip();
  // Logs "Skipping element ..." only.
  void LogSkip();

  // Value readers: called right after ReadHeader, with the position at the element's data.
  // Name is the element's name in the log and in error messages.
  uint64_t ReadValueUINT(std::string_view Name);
  void ReadValueString(std::string_view Name, std::string& Value);
  double ReadValueFloat(std::string_view Name);
  void ReadValueBinary(std::vector<uint8_t>& Data, std::string_view Name);

  // Position of the element's data.
  int64_t DataPosition() const { return Position + IDLength + SizeLength; }

 private:
  template <class NextByte>
  uint32_t DecodeID(NextByte Next);
  template <class NextByte>
  uint32_t DecodeSize(NextByte Next);
  template <class Buffer>
  bool ReadData(Buffer& Out);
  [[noreturn]] void ReadError(std::string_view Operation, std::string_view Name,
                              std::string_view Suffix = "") const;
  bool ExceedsFile() const;
};

class TEbmlReader {
 public:
  TEbmlReader(TFileReader& FileReader, TLogWriter& ParseLog);

  TFileReader& FileReader;  // not owned
  TLogWriter& ParseLog;     // not owned
  TEbmlHeader Header;

  // The innermost open element; null when none is open.
  const TEbmlElement* Innermost() const { return FStack.empty() ? nullptr : &FStack.back(); }
  // Number of open elements.
  int32_t Level() const { return static_cast<int32_t>(FStack.size()); }
  // Pushes a copy of Element; Element stays the caller's.
  void EnterElement(const TEbmlElement& Element);
  void LeaveElement();
  // Leaves elements until the innermost one has the given ID (or the stack is empty).
  void LeaveUntil(uint32_t ID);
  // Leaves elements until Level() is at most Depth.
  void LeaveTo(int32_t Depth);
  // True while the file position lies inside the innermost open element.
  bool InElement() const {
    if (FStack.empty()) return false;
    const TEbmlElement& inner = FStack.back();
    // Wraps like the file API's signed 64-bit arithmetic.
    return FileReader.GetPosition() <
           static_cast<int64_t>(static_cast<uint64_t>(inner.Position) + static_cast<uint64_t>(inner.TotalSize));
  }

  // False when the log drops what it is given (decided when the reader is made): the
  // lines are then not built at all.
  bool Logging() const { return FLogging && FMuted == 0; }
  // Keeps the log silent while it lives.
  class TMute {
   public:
    explicit TMute(TEbmlReader& Reader) : FReader(Reader) { ++FReader.FMuted; }
    ~TMute() { --FReader.FMuted; }
    TMute(const TMute&) = delete;
    TMute& operator=(const TMute&) = delete;

   private:
    TEbmlReader& FReader;
  };
  void LogLine(std::string_view Text);
  // Writes Name : Value; Value comes from the file and is passed through Verbatim.
  void LogValue(std::string_view Name, std::string_view Value);
  // The text of the last line written to the log, as the text log shows it (without its
  // indentation); empty when nothing was logged.
  std::string LastLogLine() const;

  // Reads the EBML header at the current position into Header, logging every value.
  void ReaderHeader();

 private:
  void Indent();

  std::vector<TEbmlElement> FStack;  // outermost first
  std::string FLine;                 // the log line being built
  bool FLogging = true;
  int FMuted = 0;  // TMute objects alive
  // The last line logged: a line's text, or a value line's name and value.
  std::string FLastText, FLastValue;
  bool FLastIsValue = false;
};

}  // namespace ambrel
