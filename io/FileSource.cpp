// POSIX implementation of the file source: positional reads on a regular file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "io/ByteSource.h"

namespace ambrel {
namespace {

class TPosixFileSource : public TByteSource {
 public:
  TPosixFileSource(int Fd, int64_t Size) : FFd(Fd), FSize(Size) {}
  ~TPosixFileSource() override { ::close(FFd); }
  TPosixFileSource(const TPosixFileSource&) = delete;
  TPosixFileSource& operator=(const TPosixFileSource&) = delete;

  int64_t ReadAt(int64_t Offset, void* Buffer, int64_t Count) override {
    if (Offset < 0 || Count < 0) return -1;
    for (;;) {
      ++FReadCalls;
      const ssize_t n = ::pread(FFd, Buffer, static_cast<size_t>(Count), static_cast<off_t>(Offset));
      if (n >= 0) return n;
      if (errno != EINTR) return -1;
    }
  }

  // The size is taken once, when the file is opened.
  int64_t Size() override { return FSize; }
  uint64_t ReadCalls() const override { return FReadCalls; }

 private:
  int FFd;
  int64_t FSize;
  uint64_t FReadCalls = 0;
};

}  // namespace

std::unique_ptr<TByteSource> OpenFileSource(const std::string& Path, std::string* Failure) {
  static_assert(sizeof(off_t) == 8, "64-bit file offsets are required");
  const auto fail = [Failure](std::string Reason) {
    if (Failure) *Failure = std::move(Reason);
    return nullptr;
  };
  // O_NONBLOCK keeps a FIFO without a writer from blocking the open; non-regular files
  // are refused right after.
  const int fd = ::open(Path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return fail(std::strerror(errno));
  struct stat st {};
  const int statError = ::fstat(fd, &st) == 0 ? 0 : errno;
  if (statError != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    // A pipe (a shell's <(...) among them) can be read only once, from its start, and the
    // parser seeks: it has to be a file first.
    return fail(statError != 0             ? std::strerror(statError)
                : S_ISDIR(st.st_mode)  ? std::strerror(EISDIR)
                : S_ISFIFO(st.st_mode) ? "not a regular file (a pipe): save it to a file first"
                                           : "Not a regular file");
  }
  return std::make_unique<TPosixFileSource>(fd, static_cast<int64_t>(st.st_size));
}

}  // namespace ambrel
