// POSIX implementation of the saving of a whole file.
#include "io/SaveFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace ambrel::platform {

namespace {

std::string Reason(int Code) { return std::strerror(Code); }

// The file a save replaces: Path itself, or the file a symbolic link at Path leads to.
// Empty with why in Problem when that is not a regular file; Existing tells whether there
// is one, and Mode its permissions.
std::string Target(const std::string& Path, std::string& Problem, bool& Existing, mode_t& Mode) {
  struct stat st {};
  Existing = false;
  if (::stat(Path.c_str(), &st) != 0) {
    if (errno != ENOENT) Problem = Reason(errno);
    // A dangling link is left for the rename to replace, as a missing file would be.
    return Problem.empty() ? Path : std::string();
  }
  if (S_ISDIR(st.st_mode)) {
    Problem = Reason(EISDIR);
    return {};
  }
  if (!S_ISREG(st.st_mode)) {
    Problem = "Not a regular file";
    return {};
  }
  Existing = true;
  Mode = st.st_mode & 07777;
  struct stat link {};
  if (::lstat(Path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return Path;
  const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(Path.c_str(), nullptr), &std::free);
  if (!resolved) Problem = Reason(errno);
  return resolved ? std::string(resolved.get()) : std::string();
}

// A name beside Path that no other save of this process or another uses.
std::string TemporaryName(const std::string& Path, unsigned Attempt) {
  static std::atomic<unsigned> counter{0};
  const size_t slash = Path.rfind('/');
  const std::string dir = slash == std::string::npos ? std::string() : Path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? Path : Path.substr(slash + 1);
  return dir + "." + name + ".saving-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
         std::to_string(Attempt);
}

// Writes all of Bytes to Fd and makes sure they are on disk. Returns 0 or the error.
int WriteAll(int Fd, std::string_view Bytes) {
  while (!Bytes.empty()) {
    const ssize_t n = ::write(Fd, Bytes.data(), Bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return EIO;
    Bytes.remove_prefix(static_cast<size_t>(n));
  }
  return ::fsync(Fd) == 0 ? 0 : errno;
}

}  // namespace

std::string SaveFile(const std::string& Path, std::string_view Bytes) {
  std::string problem;
  bool existing = false;
  mode_t mode = 0;
  const std::string target = Target(Path, problem, existing, mode);
  if (target.empty()) return problem;
  std::string temporary;
  int fd = -1;
  for (unsigned attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temporary = TemporaryName(target, attempt);
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return Reason(errno);
  }
  if (fd < 0) return Reason(EEXIST);
  // The replaced file keeps its permissions; a new one gets the usual ones (the umask's).
  int error = existing && ::fchmod(fd, mode) != 0 ? errno : 0;
  if (error == 0) error = WriteAll(fd, Bytes);
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    return Reason(error);
  }
  return {};
}

}  // namespace ambrel::platform
