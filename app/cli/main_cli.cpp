// ambrel-cli: the headless entry point. Analyses Matroska files and prints their text
// reports, HTML pages, parsing logs or JSON documents; answers codec database questions.
#include <cerrno>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "app/cli/CommandLine.h"
#include "app/cli/FdInput.h"
#include "app/cli/FdOutput.h"
#include "base/Utf16.h"
#include "io/Executable.h"
#include "io/StandardStreams.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <stdlib.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define AMBREL_TEARDOWN_AT_EXIT 1  // the sanitizers' leak and race checks run at exit
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define AMBREL_TEARDOWN_AT_EXIT 1
#endif
#endif

namespace {

int Run(const std::vector<std::string>& args, bool errorsToTerminal, bool outputClosed);

}  // namespace

#ifdef _WIN32
// Arguments arrive as UTF-16 and are handed on as UTF-8 (file names included: the file
// layer opens them by their wide names). The reports hold their own CR LF line ends, so
// the standard streams are binary: text mode would write CR CR LF.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg(argv[i]);
    args.push_back(ambrel::media::WideToUtf8(std::u16string(arg.begin(), arg.end())));
  }
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  return Run(args, _isatty(_fileno(stderr)) != 0, false);
}
#else
int main(int argc, char** argv) {
  // Before anything else is opened: a closed standard descriptor would be handed to the
  // first file or to the media framework host's channel, which would then receive the
  // report or the messages.
  const ambrel::platform::TClosedStreams closed = ambrel::platform::OpenClosedStandardStreams();
  return Run(std::vector<std::string>(argv + 1, argv + argc), isatty(STDERR_FILENO) == 1, closed.Out);
}
#endif

namespace {

// Whether standard output and standard error are the same terminal (the reports would run
// into the progress line).
bool OutputIsErrorTerminal() {
#ifdef _WIN32
  return _isatty(1) && _isatty(2);
#else
  struct stat a {}, b {};
  return isatty(1) == 1 && isatty(2) == 1 && fstat(1, &a) == 0 && fstat(2, &b) == 0 && a.st_rdev == b.st_rdev;
#endif
}

bool OutputIsTerminal() {
#ifdef _WIN32
  return _isatty(1) != 0;
#else
  return isatty(1) == 1;
#endif
}

int Run(const std::vector<std::string>& args, bool errorsToTerminal, bool outputClosed) {
  // Standard output through a buffer that keeps why a write failed. Output closed at
  // start now goes to /dev/null, which takes anything: the output fails as it would have.
  static ambrel::TFdOutput outBuffer(1);
  if (outputClosed) outBuffer.FailWrites(EBADF);
  std::ostream out(&outBuffer);
  // Standard input (a path list) through a buffer that says why a read failed.
  static ambrel::TFdInput inBuffer(0);
  std::istream in(&inBuffer);
  const int status = ambrel::RunCommandLine(
      args, ambrel::platform::ExecutableDirectory(),
      {in, out, std::cerr, errorsToTerminal, errorsToTerminal && OutputIsErrorTerminal(),
       [] { return outBuffer.Failure(); }, OutputIsTerminal()});
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

}  // namespace
