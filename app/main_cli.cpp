// ambrel-cli: the headless entry point. Analyses Matroska files and prints their text
// reports, HTML pages, parsing logs or JSON documents; answers codec database questions.
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "platform/Executable.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return ambrel::RunCommandLine(args, ambrel::platform::ExecutableDirectory(),
                                {std::cin, std::cout, std::cerr, isatty(STDERR_FILENO) == 1});
}
