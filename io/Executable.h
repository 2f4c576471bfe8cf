// Where the running program lives.
#pragma once

#include <string>
#include <vector>

namespace ambrel::platform {

// The directory of the running executable, with a trailing '/'; empty when unknown (then
// no data file is looked for: the working folder is not the program's).
std::string ExecutableDirectory();

// The folders loadable modules of the program are looked for in, first to last, each with
// a trailing '/': beside the executable (a build tree), then the library folder of the
// installed layout (<prefix>/lib/ambrel/ for <prefix>/bin/). Empty when the executable's
// folder is unknown.
std::vector<std::string> ModuleDirectories();

}  // namespace ambrel::platform
