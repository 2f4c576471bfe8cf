// ambrel-cli: the headless entry point. Analyses Matroska files and prints their text
// reports, HTML pages, parsing logs or JSON documents; answers codec database questions.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "app/cli/CommandLine.h"
#include "app/cli/FdOutput.h"
#include "io/Executable.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define AMBREL_TEARDOWN_AT_EXIT 1  // the sanitizers' leak and race checks run at exit
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define AMBREL_TEARDOWN_AT_EXIT 1
#endif
#endif

namespace {

// Whether the two descriptors are the same terminal (the reports would run into the
// progress line).
bool SameTerminal(int A, int B) {
  struct stat a {}, b {};
  return isatty(A) == 1 && fstat(A, &a) == 0 && fstat(B, &b) == 0 && a.st_rdev == b.st_rdev;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  // Standard output through a buffer that keeps why a write failed.
  static ambrel::TFdOutput outBuffer(STDOUT_FILENO);
  std::ostream out(&outBuffer);
  const bool errIsTerminal = isatty(STDERR_FILENO) == 1;
  const int status = ambrel::RunCommandLine(
      args, ambrel::platform::ExecutableDirectory(),
      {std::cin, out, std::cerr, errIsTerminal, errIsTerminal && SameTerminal(STDOUT_FILENO, STDERR_FILENO),
       [] { return outBuffer.Failure(); }});
#ifdef AMBREL_TEARDOWN_AT_EXIT
  return status;
#else
  // Everything is written and every saved file closed by now. Leaving without the exit
  // handlers spares tearing down what the media framework loaded (its plugins' libraries
  // and threads), which costs more processor time than a light file's whole report.
  out.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  _exit(status);
#endif
}
