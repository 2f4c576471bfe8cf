#include "io/DataFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ambrel::platform {

namespace {

TReadResult Failure(TReadStatus Status, const std::string& Path, const std::string& Reason) {
  return {Status, "Cannot open file \"" + Path + "\". " + Reason};
}

class TFd {
 public:
  explicit TFd(int Fd) : FFd(Fd) {}
  ~TFd() {
    if (FFd >= 0) ::close(FFd);
  }
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
  int Get() const { return FFd; }

 private:
  int FFd;
};

}  // namespace

TReadResult ReadWholeFile(const std::string& Path, int64_t MaxSize, std::string& Bytes) {
  Bytes.clear();
  // O_NONBLOCK: opening a FIFO without a writer must not wait; it is refused below.
  const TFd fd(::open(Path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.Get() < 0) {
    const int code = errno;
    return Failure(code == ENOENT || code == ENOTDIR ? TReadStatus::Missing : TReadStatus::Unreadable, Path,
                   std::strerror(code));
  }
  struct stat st {};
  if (::fstat(fd.Get(), &st) != 0) return Failure(TReadStatus::Unreadable, Path, std::strerror(errno));
  if (S_ISDIR(st.st_mode)) return Failure(TReadStatus::NotRegular, Path, std::strerror(EISDIR));
  if (!S_ISREG(st.st_mode)) return Failure(TReadStatus::NotRegular, Path, "Not a regular file");
  if (st.st_size > MaxSize) {
    return Failure(TReadStatus::TooLarge, Path, "File is larger than " + std::to_string(MaxSize) + " bytes");
  }
  Bytes.resize(static_cast<size_t>(st.st_size));
  size_t done = 0;
  while (done < Bytes.size()) {
    const ssize_t n = ::read(fd.Get(), Bytes.data() + done, Bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int code = errno;
      Bytes.clear();
      return Failure(TReadStatus::Unreadable, Path, std::strerror(code));
    }
    if (n == 0) break;  // shrank while being read: keep what was there
    done += static_cast<size_t>(n);
  }
  Bytes.resize(done);
  return {};
}

std::string JoinPath(const std::string& Dir, const std::string& Name) {
  if (Dir.empty()) return Name;
  return Dir.back() == '/' ? Dir + Name : Dir + "/" + Name;
}

TReadResult ReadDataFile(const std::string& ExeDir, const std::string& Name, std::string& Bytes) {
  Bytes.clear();
  if (ExeDir.empty()) return {TReadStatus::Missing, ""};
  return ReadWholeFile(JoinPath(ExeDir, Name), kMaxDataFileSize, Bytes);
}

}  // namespace ambrel::platform
