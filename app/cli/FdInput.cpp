#include "app/cli/FdInput.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <system_error>

namespace ambrel {

TFdInput::int_type TFdInput::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  for (;;) {
#ifdef _WIN32
    const int n = ::_read(FFd, FBuffer, sizeof FBuffer);
#else
    const ssize_t n = ::read(FFd, FBuffer, sizeof FBuffer);
#endif
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw std::system_error(errno, std::generic_category());
    if (n == 0) return traits_type::eof();
    setg(FBuffer, FBuffer, FBuffer + n);
    return traits_type::to_int_type(*gptr());
  }
}

}  // namespace ambrel
