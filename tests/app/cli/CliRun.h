// Runs ambrel-cli on the command line, for the end-to-end tests.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "TempDir.h"

namespace ambrel::testing {

inline const std::string kData = AMBREL_TEST_DATA_DIR;

struct CliRun {
  std::string out;
  std::string err;
  int status = -1;
};

inline std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs ambrel-cli (or a copy of it, Program) from the data folder, so that reports name
// files relative to it. CaptureErr false leaves standard error to Args (which may close it).
inline CliRun Cli(const std::string& args, const std::string& Program = AMBREL_CLI_PATH, bool CaptureErr = true) {
  CliRun run;
  const TTempDir temp("ambrel_cli");
  const std::string errFile = temp / "stderr";
  const std::string command = "cd " + Quote(kData) + " && " + Quote(Program) + " " + args +
                              (CaptureErr ? " 2>" + Quote(errFile) : std::string());
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (CaptureErr) run.err = ReadFile(errFile);
  return run;
}

}  // namespace ambrel::testing
