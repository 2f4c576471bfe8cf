#include "base/ByteStream.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace ambrel {

TByteStream::~TByteStream() { std::free(data_); }

void TByteStream::Reserve(size_t capacity) {
  if (capacity <= capacity_) return;
  const size_t grown = std::max({capacity, capacity_ + capacity_ / 2, size_t{4096}});
  void* data = std::realloc(data_, grown);
  if (!data) throw std::bad_alloc();
  data_ = static_cast<char*>(data);
  capacity_ = grown;
}

void TByteStream::Write(std::string_view bytes) {
  size_ = pos_;
  if (!bytes.empty()) {
    Reserve(size_ + bytes.size());
    std::memcpy(data_ + size_, bytes.data(), bytes.size());
    size_ += bytes.size();
  }
  pos_ = size_;
  if (drain_ && size_ >= drainThreshold_) FlushDrain();
}

void TByteStream::SetDrain(std::function<void(std::string_view)> Drain, size_t Threshold) {
  drain_ = std::move(Drain);
  drainThreshold_ = Threshold;
}

void TByteStream::FlushDrain() {
  if (!drain_ || size_ == 0) return;
  drain_(Bytes());
  size_ = pos_ = 0;
}

int64_t TByteStream::Seek(int64_t offset, int origin) {
  int64_t base = 0;
  if (origin == 1) base = Position();
  if (origin == 2) base = Size();
  int64_t target = base + offset;
  target = std::clamp<int64_t>(target, 0, Size());
  pos_ = static_cast<size_t>(target);
  return target;
}

std::string TByteStream::Read(size_t count) {
  const size_t n = std::min(count, size_ - pos_);
  std::string out(Bytes().substr(pos_, n));
  pos_ += n;
  return out;
}

}  // namespace ambrel
