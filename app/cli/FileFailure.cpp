#include "app/cli/FileFailure.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "io/ByteSource.h"
#include "matroska/MatroskaParse.h"
#include "report/LogWriter.h"

namespace ambrel {

namespace {

// The system's message when the file cannot be opened for reading, a note when it does
// not start with an EBML header, else empty.
std::string StartFailure(const std::string& Path) {
  std::error_code ec;
  if (std::filesystem::is_directory(Path, ec)) return std::strerror(EISDIR);
  FILE* file = std::fopen(Path.c_str(), "rb");
  if (!file) return std::strerror(errno);
  unsigned char magic[4] = {};
  const size_t n = std::fread(magic, 1, sizeof magic, file);
  std::fclose(file);
  static constexpr unsigned char kEbml[4] = {0x1A, 0x45, 0xDF, 0xA3};
  if (n < sizeof magic || std::memcmp(magic, kEbml, sizeof magic) != 0) return "not a Matroska file (no EBML header)";
  return {};
}

}  // namespace

std::string FileFailureLine(std::string_view File, std::string_view Reason) {
  std::string line = "ambrel-cli: ";
  line.append(File).append(": ").append(Reason);
  line += '\n';
  return line;
}

std::string FileFailureReason(const std::string& Path) {
  if (std::string failure = StartFailure(Path); !failure.empty()) return failure;
  std::unique_ptr<TByteSource> source = OpenFileSource(Path);
  if (!source) return std::strerror(EIO);
  TNullWriter log;
  const TMatroskaParse parse = ParseMatroska(std::move(source), log, nullptr, false);
  if (!parse.Error.empty()) return parse.Error;
  if (!parse.ClusterFound) return "the file ends before its first Cluster";
  return {};
}

}  // namespace ambrel
