// Where the running program lives.
#pragma once

#include <string>

namespace ambrel::platform {

// The directory of the running executable, with a trailing '/'; empty when unknown (then
// no data file is looked for: the working folder is not the program's).
std::string ExecutableDirectory();

}  // namespace ambrel::platform
