// ambrel-cli: the headless entry point. Analyses Matroska files and prints their text
// reports, HTML pages, parsing logs or JSON documents; answers codec database questions.
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "app/cli/CommandLine.h"
#include "io/Executable.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define AMBREL_TEARDOWN_AT_EXIT 1  // the sanitizers' leak and race checks run at exit
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define AMBREL_TEARDOWN_AT_EXIT 1
#endif
#endif

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const int status = ambrel::RunCommandLine(args, ambrel::platform::ExecutableDirectory(),
                                            {std::cin, std::cout, std::cerr, isatty(STDERR_FILENO) == 1});
#ifdef AMBREL_TEARDOWN_AT_EXIT
  return status;
#else
  // Everything is written and every saved file closed by now. Leaving without the exit
  // handlers spares tearing down what the media framework loaded (its plugins' libraries
  // and threads), which costs more processor time than a light file's whole report.
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  _exit(status);
#endif
}
