#include "app/cli/FdOutput.h"

#ifdef _WIN32
#include <io.h>
#include <stdlib.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <csignal>
#include <cstring>

namespace ambrel {

std::string TFdOutput::Failure() const { return FErrno == 0 ? std::string() : std::strerror(FErrno); }

bool TFdOutput::WriteAll(const char* Data, size_t Size) {
  if (FErrno != 0) return false;
  if (FRefusal != 0 && Size > 0) {
    FErrno = FRefusal;
    return false;
  }
  while (Size > 0) {
#ifdef _WIN32
    const int n = ::_write(FFd, Data, static_cast<unsigned>(Size > 1u << 30 ? 1u << 30 : Size));
#else
    const ssize_t n = ::write(FFd, Data, Size);
#endif
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      FErrno = n < 0 ? errno : EIO;
#ifdef SIGPIPE
      if (FErrno == EPIPE) {
        // Nobody reads any more: end as a filter whose reader left, by the signal that
        // was held off (the media framework's libraries may ignore it).
        std::signal(SIGPIPE, SIG_DFL);
        std::raise(SIGPIPE);
        _exit(128 + SIGPIPE);
      }
#endif
      return false;
    }
    Data += n;
    Size -= static_cast<size_t>(n);
  }
  return true;
}

bool TFdOutput::Drain() {
  const size_t size = static_cast<size_t>(pptr() - pbase());
  setp(FBuffer, FBuffer + sizeof FBuffer);
  return WriteAll(FBuffer, size);
}

int TFdOutput::overflow(int C) {
  if (!Drain()) return traits_type::eof();
  if (traits_type::eq_int_type(C, traits_type::eof())) return traits_type::not_eof(C);
  *pptr() = traits_type::to_char_type(C);
  pbump(1);
  return C;
}

int TFdOutput::sync() { return Drain() ? 0 : -1; }

std::streamsize TFdOutput::xsputn(const char* Data, std::streamsize Size) {
  const size_t size = static_cast<size_t>(Size);
  if (size <= static_cast<size_t>(epptr() - pptr())) {
    std::memcpy(pptr(), Data, size);
    pbump(static_cast<int>(Size));
    return Size;
  }
  // A large piece goes out at once, after what is buffered.
  if (!Drain() || !WriteAll(Data, size)) return 0;
  return Size;
}

}  // namespace ambrel
