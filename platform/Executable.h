// Where the running program lives.
#pragma once

#include <string>

namespace ambrel::platform {

// The directory of the running executable, with a trailing '/'; "./" when unknown.
std::string ExecutableDirectory();

}  // namespace ambrel::platform
