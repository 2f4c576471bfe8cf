#include "host/HostProtocol.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace ambrel::host {

namespace {

void AppendNumber(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint32_t NumberAt(std::string_view bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= uint32_t{static_cast<uint8_t>(bytes[at + i])} << (8 * i);
  return value;
}

}  // namespace

TFrame& TFrame::Put(std::string_view Text) {
  AppendNumber(FFields, static_cast<uint32_t>(Text.size()));
  FFields.append(Text);
  return *this;
}

TFrame& TFrame::PutNumber(uint32_t Value) {
  AppendNumber(FFields, Value);
  return *this;
}

TFrame& TFrame::PutByte(uint8_t Value) {
  FFields += static_cast<char>(Value);
  return *this;
}

bool TFrame::Get(std::string& Text) {
  uint32_t size;
  if (!GetNumber(size) || FFields.size() - FRead < size) return false;
  Text.assign(FFields, FRead, size);
  FRead += size;
  return true;
}

bool TFrame::GetNumber(uint32_t& Value) {
  if (FFields.size() - FRead < 4) return false;
  Value = NumberAt(FFields, FRead);
  FRead += 4;
  return true;
}

bool TFrame::GetByte(uint8_t& Value) {
  if (FRead >= FFields.size()) return false;
  Value = static_cast<uint8_t>(FFields[FRead++]);
  return true;
}

std::string TFrame::Encode() const {
  std::string out;
  out.reserve(5 + FFields.size());
  AppendNumber(out, static_cast<uint32_t>(1 + FFields.size()));
  out += static_cast<char>(FKind);
  out += FFields;
  return out;
}

TFrame TFrame::Decode(std::string_view Body) {
  TFrame frame(static_cast<TKind>(Body.empty() ? 0 : Body[0]));
  if (!Body.empty()) frame.FFields.assign(Body.substr(1));
  return frame;
}

bool SendFrame(int Fd, const TFrame& Frame) {
  const std::string bytes = Frame.Encode();
  size_t sent = 0;
  while (sent < bytes.size()) {
    // No SIGPIPE when the peer is gone: the failure is answered instead.
    const ssize_t n = send(Fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

TReadResult TFrameReader::Read(TFrame& Frame, std::optional<std::chrono::steady_clock::time_point> Deadline) {
  for (;;) {
    if (FBuffer.size() >= 4) {
      const uint32_t size = NumberAt(FBuffer, 0);
      if (size == 0 || size > kMaxFrame) return TReadResult::Closed;
      if (uint64_t{4} + size > FAllowance) return TReadResult::TooMuch;
      if (FBuffer.size() - 4 >= size) {
        Frame = TFrame::Decode(std::string_view(FBuffer).substr(4, size));
        FBuffer.erase(0, 4 + size);
        FAllowance -= uint64_t{4} + size;
        return TReadResult::Frame;
      }
    }
    int timeout = -1;
    if (Deadline) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(*Deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return TReadResult::TimedOut;
      timeout = static_cast<int>(std::min<int64_t>(left.count(), 1 << 30));
    }
    pollfd p[2] = {{FFd, POLLIN, 0}, {FSide, POLLIN, 0}};
    const int ready = poll(p, FSide >= 0 ? 2 : 1, timeout);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return TReadResult::Closed;
    if (ready == 0) return TReadResult::TimedOut;
    if (FSide >= 0 && p[1].revents && !FDrain()) FSide = -1;
    if (!p[0].revents) continue;
    char chunk[65536];
    const ssize_t n = read(FFd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return TReadResult::Closed;
    FBuffer.append(chunk, static_cast<size_t>(n));
  }
}

}  // namespace ambrel::host
