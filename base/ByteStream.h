// An in-memory byte buffer with a position, into which the reports are written.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace ambrel {

// In-memory byte buffer with a position. A write puts its bytes at the position and
// cuts the buffer off right after them; seeking only moves the position. The buffer
// grows in place where the allocator can (large blocks are remapped, not copied), so
// a report tens of megabytes long never needs twice its size while it grows.
class TByteStream {
 public:
  TByteStream() = default;
  ~TByteStream();
  TByteStream(const TByteStream&) = delete;
  TByteStream& operator=(const TByteStream&) = delete;

  void Write(std::string_view bytes);
  // Moves the position, clamped to 0 .. Size(); returns the new position.
  int64_t Seek(int64_t offset, int origin = 0);
  // Copies up to count bytes from the position onward and advances it.
  std::string Read(size_t count);
  int64_t Position() const { return static_cast<int64_t>(pos_); }
  int64_t Size() const { return static_cast<int64_t>(size_); }
  // All bytes; valid until the next write.
  std::string_view Bytes() const { return {data_, size_}; }

  // From now on, each write that brings the buffer to Threshold bytes or more hands all
  // of them to Drain and empties the buffer, so a long text written out as it is made is
  // never held whole. For a buffer nobody reads back; an empty Drain stops it.
  void SetDrain(std::function<void(std::string_view)> Drain, size_t Threshold);
  // Hands the bytes still held to the drain (if any) and empties the buffer.
  void FlushDrain();

 private:
  void Reserve(size_t capacity);

  std::function<void(std::string_view)> drain_;
  size_t drainThreshold_ = 0;

  char* data_ = nullptr;  // malloc'd, so that it can grow with realloc
  size_t size_ = 0;
  size_t capacity_ = 0;
  size_t pos_ = 0;
};

}  // namespace ambrel
