// The scripted media world: a JSON description of one machine's media framework (its
// registered filters, pins, media types, registry, files and forced call results) loaded
// as an IMediaFramework. docs/media-world.md describes the format and behaviour.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "media/MediaFramework.h"

namespace ambrel::media {

struct TMediaWorldLoad {
  std::unique_ptr<IMediaFramework> Framework;  // empty when the file was refused
  std::string Error;                           // why it was refused
  std::optional<std::u16string> File;          // the world's "file", when given
};

// Loads a world from JSON text / from a file. A refused world gives no framework and a
// message naming the offending key (and, inside "filters", the entry).
TMediaWorldLoad LoadMediaWorldText(const std::string& json);
TMediaWorldLoad LoadMediaWorldFile(const std::string& path);

}  // namespace ambrel::media
