// Where the platform's media framework keeps a filter class, read from the files the
// framework keeps on disk, without starting it: no framework library is loaded. Runs that
// start no framework (--no-render) answer the proposed filters' installed state with it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ambrel::media {

// A filter class's server as the framework names it, and its file version as the
// framework's GetFileVersion gives it.
struct TFilterServerFile {
  std::u16string Path;
  bool HasVersion = false;
  uint32_t VersionMS = 0;
  uint32_t VersionLS = 0;
};

// The server of the class ClsidText (registry form) when the framework knows the class
// and the server file exists; none otherwise, and always on a platform whose framework
// cannot be read without starting it.
std::optional<TFilterServerFile> FindFilterServerWithoutFramework(const std::string& ClsidText);

}  // namespace ambrel::media
