// Saving a whole file so that a failure never costs what was there: the bytes go to a
// temporary file in the same folder, which replaces the old file only once it is
// complete and on disk.
#pragma once

#include <string>
#include <string_view>

namespace ambrel::platform {

// Replaces the file at Path with Bytes (creating it when missing). Returns empty when
// saved, else the system's reason ("No space left on device", "Permission denied"), and
// the file at Path is then as it was. Anything at Path that is not a regular file (a
// FIFO, a device, a folder) is refused and left alone; a symbolic link to a regular
// file has that file replaced. Nothing here waits for a reader or a writer.
std::string SaveFile(const std::string& Path, std::string_view Bytes);

}  // namespace ambrel::platform
