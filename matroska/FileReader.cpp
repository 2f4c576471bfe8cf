#include "matroska/FileReader.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "matroska/MatroskaError.h"
#include "report/LogWriter.h"
#include "base/TextUtil.h"

namespace ambrel {

TFileReader::TFileReader(const std::string& FileName)
    : FSource(ambrel::OpenFileSource(FileName)) {
  if (!FSource)
    throw EMatroskaError("Can't open file " + ambrel::ValidUtf8(FileName));
  FSize = FSource->Size();
}

TFileReader::TFileReader(std::unique_ptr<ambrel::TByteSource> Source)
    : FSource(std::move(Source)) {
  if (!FSource) throw EMatroskaError("Can't open file ");
  FSize = FSource->Size();
}

TFileReader::~TFileReader() = default;


uint64_t TFileReader::ReadSystemCalls() const { return FSource->ReadCalls(); }

// Loads the read-ahead buffer with the bytes from Offset on; false when none could be read.
bool TFileReader::Fill(int64_t Offset) {
  if (!FBuffer) FBuffer.reset(new uint8_t[static_cast<size_t>(kReadAheadSize)]);
  FBufferStart = Offset;
  FBufferLength = 0;
  // A short read is not the end: keep reading until the buffer is full or the source
  // gives nothing more.
  while (FBufferLength < kReadAheadSize) {
    const int64_t n = FSource->ReadAt(Offset + FBufferLength, FBuffer.get() + FBufferLength,
                                      kReadAheadSize - FBufferLength);
    if (n <= 0) break;
    FBufferLength += n;
  }
  return FBufferLength > 0;
}

int32_t TFileReader::ReadSlow(void* Buffer, int32_t Count) {
  if (Count <= 0) return 0;
  auto* out = static_cast<uint8_t*>(Buffer);
  int64_t done = 0;
  while (done < Count) {
    const int64_t pos = FPosition + done;
    const int64_t want = Count - done;
    if (pos >= FBufferStart && pos < FBufferStart + FBufferLength) {
      const int64_t n = std::min(want, FBufferStart + FBufferLength - pos);
      std::memcpy(out + done, FBuffer.get() + (pos - FBufferStart), static_cast<size_t>(n));
      done += n;
      continue;
    }
    if (want >= kReadAheadSize) {
      // Large blocks go straight to the caller's memory.
      const int64_t n = FSource->ReadAt(pos, out + done, want);
      if (n <= 0) break;
      done += n;
      continue;
    }
    if (!Fill(pos)) break;
  }
  FPosition += done;
  return static_cast<int32_t>(done);
}

int64_t TFileReader::Seek(int64_t Offset, int Origin) {
  int64_t base = 0;
  if (Origin == 1) {
    base = FPosition;
  } else if (Origin == 2) {
    base = GetSize();
    if (base < 0) return -1;
  } else if (Origin != 0) {
    return -1;
  }
  // Positions wrap like the 64-bit arithmetic of the file API; a negative result fails.
  const auto target = static_cast<int64_t>(static_cast<uint64_t>(base) + static_cast<uint64_t>(Offset));
  if (target < 0) return -1;
  FPosition = target;
  return FPosition;
}

}  // namespace ambrel
