#include "io/StandardStreams.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace ambrel::platform {

TClosedStreams OpenClosedStandardStreams() {
  TClosedStreams closed;
#ifndef _WIN32
  bool* const flags[3] = {&closed.In, &closed.Out, &closed.Err};
  for (int fd = 0; fd < 3; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    *flags[fd] = true;
    // The lowest free descriptor is taken: the closed one, since those below it are open.
    const int null = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (null >= 0 && null != fd) {
      ::dup2(null, fd);
      ::close(null);
    }
  }
#endif
  return closed;
}

}  // namespace ambrel::platform
