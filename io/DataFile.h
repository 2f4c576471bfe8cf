// Reading whole files that the program loads (its data tables, XML documents) and
// naming files in a folder. Only regular files are read, never more than a size cap,
// and every failure comes with a plain-text message.
#pragma once

#include <cstdint>
#include <string>

namespace ambrel::platform {

// The data tables beside the executable are never larger than this.
inline constexpr int64_t kMaxDataFileSize = 64 * 1024 * 1024;

enum class TReadStatus { Ok, Missing, NotRegular, TooLarge, Unreadable };

struct TReadResult {
  TReadStatus Status = TReadStatus::Ok;
  // Empty when Ok; otherwise 'Cannot open file "PATH". ' followed by the reason.
  std::string Message;
  bool Ok() const { return Status == TReadStatus::Ok; }
};

// Reads the whole regular file at Path into Bytes. FIFOs, devices and folders are refused
// without blocking; a file larger than MaxSize is refused before anything is read.
TReadResult ReadWholeFile(const std::string& Path, int64_t MaxSize, std::string& Bytes);

// Dir and Name joined with one '/' (Name alone when Dir is empty).
std::string JoinPath(const std::string& Dir, const std::string& Name);

// Reads the data file Name from the executable's folder ExeDir. An empty ExeDir (the
// folder is unknown) or a missing file gives Missing: the caller then uses its embedded
// table, and only the other failures are worth a message.
TReadResult ReadDataFile(const std::string& ExeDir, const std::string& Name, std::string& Bytes);

}  // namespace ambrel::platform
