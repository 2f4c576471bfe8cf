// Reader over a file: read bytes, seek, tell the position and the size. Reads go through
// a read-ahead buffer, so walking a file's head element by element costs few system calls.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "io/ByteSource.h"

namespace ambrel {

class TFileReader {
 public:
  // Opens an existing regular file; throws EMatroskaError "Can't open file %s" on failure.
  explicit TFileReader(const std::string& FileName);
  // Reads from the given source (a file or bytes in memory).
  explicit TFileReader(std::unique_ptr<ambrel::TByteSource> Source);
  ~TFileReader();
  TFileReader(const TFileReader&) = delete;
  TFileReader& operator=(const TFileReader&) = delete;

  // Reads up to Count bytes at the position; returns the number read (fewer only at the
  // end of the file), 0 when the read fails.
  int32_t Read(void* Buffer, int32_t Count) {
    // Bytes already in the read-ahead buffer are copied here, without a call.
    const int64_t offset = FPosition - FBufferStart;
    if (Count > 0 && offset >= 0 && offset + Count <= FBufferLength) {
      std::memcpy(Buffer, FBuffer.get() + offset, static_cast<size_t>(Count));
      FPosition += Count;
      return Count;
    }
    return ReadSlow(Buffer, Count);
  }
  // The next Count bytes when the read-ahead buffer holds them all, the position moved
  // past them; null (position unchanged) otherwise. Valid until the next read or seek.
  const uint8_t* TakeBuffered(int64_t Count) {
    const uint8_t* bytes = PeekBuffered(Count);
    if (bytes) FPosition += Count;
    return bytes;
  }
  // The bytes of the read-ahead buffer from the position on, at least Count of them;
  // null when it holds fewer. The position does not move.
  const uint8_t* PeekBuffered(int64_t Count) const {
    const int64_t offset = FPosition - FBufferStart;
    if (Count < 0 || offset < 0 || offset > FBufferLength || Count > FBufferLength - offset) return nullptr;
    return FBuffer.get() + offset;
  }
  // Reads one byte at the position; -1 (position unchanged) at the end of the file or
  // when the read fails.
  int32_t ReadByte() {
    const int64_t offset = FPosition - FBufferStart;
    if (offset >= 0 && offset < FBufferLength) {
      ++FPosition;
      return FBuffer[static_cast<size_t>(offset)];
    }
    uint8_t b = 0;
    return ReadSlow(&b, 1) == 1 ? b : -1;
  }
  // Origin 0: from the start, 1: from the position, 2: from the end. Returns the new
  // position, -1 (position unchanged) when it would be negative.
  int64_t Seek(int64_t Offset, int Origin);
  int64_t GetPosition() const { return FPosition; }
  // The file's size in bytes, -1 when it cannot be determined.
  int64_t GetSize() { return FSize; }

  // Read calls made to the operating system so far.
  uint64_t ReadSystemCalls() const;

  static constexpr int64_t kReadAheadSize = 64 * 1024;

 private:
  bool Fill(int64_t Offset);
  int32_t ReadSlow(void* Buffer, int32_t Count);

  std::unique_ptr<ambrel::TByteSource> FSource;
  int64_t FPosition = 0;
  // Holds the bytes from FBufferStart on; left uninitialised, only the bytes read are used.
  std::unique_ptr<uint8_t[]> FBuffer;
  int64_t FBufferStart = 0;
  int64_t FBufferLength = 0;
  int64_t FSize = -1;  // the source's size, asked once
};

}  // namespace ambrel
