#include "io/ByteSource.h"

#include <algorithm>
#include <cstring>

namespace ambrel {

int64_t TMemorySource::ReadAt(int64_t Offset, void* Buffer, int64_t Count) {
  ++FReadCalls;
  if (Offset < 0 || Count < 0) return -1;
  const int64_t size = Size();
  if (Offset >= size || Count == 0) return 0;
  int64_t n = std::min(Count, size - Offset);
  if (FMaxChunk > 0) n = std::min(n, FMaxChunk);
  std::memcpy(Buffer, FBytes.data() + Offset, static_cast<size_t>(n));
  return n;
}

}  // namespace ambrel
