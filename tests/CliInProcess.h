// ambrel-cli's command line run inside the test, on strings for its three streams, with
// the embedded tables.
#pragma once

#include <stdlib.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli/CommandLine.h"

struct TCliResult {
  std::string out, err;
  int status = -1;
};

inline TCliResult RunCli(const std::vector<std::string>& args, const std::string& input = "",
                         bool errIsTerminal = false) {
  std::istringstream in(input);
  std::ostringstream out, err;
  TCliResult result;
#ifdef _WIN32
  // Windows has no framework host: the framework always answers in the process.
  result.status = ambrel::RunCommandLine(args, "", {in, out, err, errIsTerminal});
#else
  // The media framework answers in the test's process too: no host program is built
  // beside the test.
  const char* kept = std::getenv("AMBREL_FRAMEWORK_IN_PROCESS");
  const std::string was = kept ? kept : "";
  setenv("AMBREL_FRAMEWORK_IN_PROCESS", "1", 1);
  result.status = ambrel::RunCommandLine(args, "", {in, out, err, errIsTerminal});
  if (kept)
    setenv("AMBREL_FRAMEWORK_IN_PROCESS", was.c_str(), 1);
  else
    unsetenv("AMBREL_FRAMEWORK_IN_PROCESS");
#endif
  result.out = out.str();
  result.err = err.str();
  return result;
}
