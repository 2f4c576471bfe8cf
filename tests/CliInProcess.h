// ambrel-cli's command line run inside the test, on strings for its three streams, with
// the embedded tables.
#pragma once

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
  result.status = ambrel::RunCommandLine(args, "", {in, out, err, errIsTerminal});
  result.out = out.str();
  result.err = err.str();
  return result;
}
