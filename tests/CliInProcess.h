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

// Sets a variable of the test's environment; a null Value removes it.
inline void SetEnvironmentValue(const char* Name, const char* Value) {
#ifdef _WIN32
  _putenv_s(Name, Value ? Value : "");  // an empty value removes the variable
#else
  if (Value)
    setenv(Name, Value, 1);
  else
    unsetenv(Name);
#endif
}

inline TCliResult RunCli(const std::vector<std::string>& args, const std::string& input = "",
                         bool errIsTerminal = false) {
  std::istringstream in(input);
  std::ostringstream out, err;
  TCliResult result;
  // The media framework answers in the test's process too: no host program is built
  // beside the test.
  const char* kept = std::getenv("AMBREL_FRAMEWORK_IN_PROCESS");
  const std::string was = kept ? kept : "";
  SetEnvironmentValue("AMBREL_FRAMEWORK_IN_PROCESS", "1");
  result.status = ambrel::RunCommandLine(args, "", {in, out, err, errIsTerminal});
  SetEnvironmentValue("AMBREL_FRAMEWORK_IN_PROCESS", kept ? was.c_str() : nullptr);
  result.out = out.str();
  result.err = err.str();
  return result;
}
