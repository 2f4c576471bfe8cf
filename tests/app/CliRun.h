// Runs ambrel-cli on the command line, for the end-to-end tests.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace ambrel::testing {

namespace fs = std::filesystem;

inline const std::string kData = AMBREL_TEST_DATA_DIR;

struct CliRun {
  std::string out;
  int status = -1;
};

inline std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs ambrel-cli from the data folder, so that reports name files relative to it.
// Standard error is dropped, or (with errors) read after standard output.
inline CliRun Cli(const std::string& args, bool errors = false) {
  CliRun run;
  const std::string command =
      "cd " + Quote(kData) + " && " + Quote(AMBREL_CLI_PATH) + " " + args + (errors ? " 2>&1" : " 2>/dev/null");
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

inline std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace ambrel::testing
