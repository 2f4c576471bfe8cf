// The byte source the XML loaders read from: an in-memory buffer with a position.
#pragma once

#include <cstdint>

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace ambrel {

// Failures of the byte source itself (reading too little, opening a file).
class TXmlStreamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Read-only view over bytes with a position. The position may be set past the end;
// such a stream simply has no more data. The view does not own the bytes.
class TXmlReadStream {
 public:
  explicit TXmlReadStream(std::string_view data) : FData(data) {}

  size_t Size() const { return FData.size(); }
  size_t Position() const { return FPosition; }
  void SetPosition(size_t position) { FPosition = position; }
  bool AtEnd() const { return FPosition >= FData.size(); }
  // The byte at the position, which must not be at the end.
  unsigned char Peek() const { return static_cast<unsigned char>(FData[FPosition]); }
  unsigned char Byte(size_t at) const { return static_cast<unsigned char>(FData[at]); }
  std::string_view Data() const { return FData; }
  // Reads exactly count bytes from the position or fails with "Stream read error".
  std::string ReadBuffer(size_t count);

  // Number of elements currently open in the loaders (bounded by the parser).
  int Depth = 0;

 private:
  std::string_view FData;
  size_t FPosition = 0;
};

// Documents larger than this are refused before they are read.
inline constexpr int64_t kMaxXmlFileSize = 256 * 1024 * 1024;

// Reads a whole regular file into memory; fails with "Cannot open file "<name>". <reason>".
std::string ReadWholeFile(const std::string& fileName);

}  // namespace ambrel
