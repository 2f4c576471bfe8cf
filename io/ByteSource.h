// The file access seam: a source of bytes with positional reads and a size. The parser
// reads files only through it, so tests and fuzzers can hand it bytes held in memory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace ambrel {

class TByteSource {
 public:
  virtual ~TByteSource() = default;

  // Reads up to Count bytes starting at Offset into Buffer. Returns the number of bytes
  // read (it may be fewer than asked even before the end), 0 at or past the end, -1 on
  // failure.
  virtual int64_t ReadAt(int64_t Offset, void* Buffer, int64_t Count) = 0;

  // The source's size in bytes, -1 when it cannot be determined.
  virtual int64_t Size() = 0;

  // Number of reads made so far: calls to the operating system for a file, ReadAt calls
  // for memory; 0 for a source that does not count them.
  virtual uint64_t ReadCalls() const { return 0; }
};

// Opens an existing regular file for reading. Directories, FIFOs, devices and anything
// that cannot be opened give nullptr, and the system's reason in *Failure (optional):
// "Is a directory", "Not a regular file", "No such file or directory"; opening never blocks.
std::unique_ptr<TByteSource> OpenFileSource(const std::string& Path, std::string* Failure = nullptr);

// A source over bytes held in memory (a copy is kept). MaxChunk > 0 caps every read, to
// exercise short reads.
class TMemorySource : public TByteSource {
 public:
  explicit TMemorySource(std::string_view Bytes, int64_t MaxChunk = 0)
      : FBytes(Bytes), FMaxChunk(MaxChunk) {}

  int64_t ReadAt(int64_t Offset, void* Buffer, int64_t Count) override;
  int64_t Size() override { return static_cast<int64_t>(FBytes.size()); }
  uint64_t ReadCalls() const override { return FReadCalls; }

 private:
  std::string FBytes;
  int64_t FMaxChunk;
  uint64_t FReadCalls = 0;
};

}  // namespace ambrel
