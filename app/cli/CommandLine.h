// ambrel-cli's command line: the options, their checks and the mode they choose.
#pragma once

#include <functional>
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
  bool OutIsErrTerminal = false;  // Out goes to the same terminal as Err
  // Why writing Out failed (the system's message); empty or unset when it is not known.
  std::function<std::string()> OutFailure = {};
  bool OutIsTerminal = false;  // Out goes to a terminal (a person reads it)
};

// Runs ambrel-cli with Args (the arguments after the program's name); ExeDir is where
// data files beside the program are looked for. Returns the exit status: 0 success, 1
// when a file failed or Out could not be written (said on Err), 2 for a usage error (said
// on Err with the option it concerns), 3 with --summary when every file parsed but some
// will not play here.
int RunCommandLine(const std::vector<std::string>& Args, const std::string& ExeDir, TCommandStreams Streams);

}  // namespace ambrel
