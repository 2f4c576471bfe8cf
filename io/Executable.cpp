#include "io/Executable.h"

#include <unistd.h>

#include <climits>

namespace ambrel::platform {

std::string ExecutableDirectory() {
  char buffer[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return "";
  std::string path(buffer, static_cast<size_t>(n));
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

std::vector<std::string> ModuleDirectories() {
  const std::string dir = ExecutableDirectory();
  if (dir.empty()) return {};
#ifdef AMBREL_MODULE_RELDIR
  return {dir, dir + AMBREL_MODULE_RELDIR};
#else
  return {dir};
#endif
}

}  // namespace ambrel::platform
