// ambrel-cli's command line: the options, their checks and the mode they choose.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace ambrel {

struct TCommandStreams {
  std::istream& In;   // paths for the "-" argument
  std::ostream& Out;  // the chosen output
  std::ostream& Err;  // messages, and the progress line when ErrIsTerminal
  bool ErrIsTerminal = false;
};

// Runs ambrel-cli with Args (the arguments after the program's name); ExeDir is where
// data files beside the program are looked for. Returns the exit status: 0 success, 1
// when a file failed, 2 for a usage error (said on Err with the option it concerns).
int RunCommandLine(const std::vector<std::string>& Args, const std::string& ExeDir, TCommandStreams Streams);

}  // namespace ambrel
