// The scripted media world: a JSON description of one machine's media framework (its
// registered filters, pins, media types, registry, files and forced call results) loaded
// as an IMediaFramework. docs/media-world.md describes the format and behaviour.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "media/MediaFramework.h"

namespace ambrel::media {

struct TMediaWorldLoad {
  std::unique_ptr<IMediaFramework> Framework;  // empty when the file was refused
  std::string Error;                           // why it was refused
  std::optional<std::u16string> File;          // the world's "file", when given
  // Makes another framework of the same world in its initial state (fresh ticks, running
  // object table and counts); the loaded model is shared, read-only. Empty when refused.
  std::function<std::unique_ptr<IMediaFramework>()> MakeAnother;
  std::string Text;  // the world's JSON, for a framework host to load
};

// The largest world file read.
inline constexpr size_t kMaxWorldBytes = size_t{16} << 20;

// Loads a world from JSON text / from a file. A refused world gives no framework and a
// message naming the offending key (and, inside "filters", the entry). The file must be a
// regular file of at most kMaxWorldBytes; anything else (a FIFO, a device, a directory, a
// pipe) is refused without being read.
TMediaWorldLoad LoadMediaWorldText(const std::string& json);
TMediaWorldLoad LoadMediaWorldFile(const std::string& path);

}  // namespace ambrel::media
