#include "app/cli/FileFailure.h"

#include <cerrno>
#include <cstring>

#include "io/ByteSource.h"
#include "matroska/MatroskaParse.h"
#include "report/LogWriter.h"

namespace ambrel {

std::string OneLineText(std::string_view Text) {
  std::string line;
  for (const char c : Text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      line += c;
    } else {
      static constexpr char kHex[] = "0123456789ABCDEF";
      line.append("\\x").append(1, kHex[byte >> 4]).append(1, kHex[byte & 15]);
    }
  }
  return line;
}

std::string FileFailureLine(std::string_view File, std::string_view Reason) {
  // The reason may quote the file (a DocType): its control characters are shown as
  // escapes, so that it stays one line and cannot drive the terminal.
  std::string line = "ambrel-cli: ";
  line.append(File).append(": ").append(OneLineText(Reason));
  line += '\n';
  return line;
}

std::string FileFailureReason(const std::string& Path) {
  // Opened as the analysis opens it: never blocking, regular files only.
  std::string failure;
  std::unique_ptr<TByteSource> source = OpenFileSource(Path, &failure);
  if (!source) return failure.empty() ? std::strerror(EIO) : failure;
  unsigned char magic[4] = {};
  static constexpr unsigned char kEbml[4] = {0x1A, 0x45, 0xDF, 0xA3};
  if (source->ReadAt(0, magic, sizeof magic) != sizeof magic || std::memcmp(magic, kEbml, sizeof magic) != 0)
    return "not a Matroska file (no EBML header)";
  TNullWriter log;
  const TMatroskaParse parse = ParseMatroska(std::move(source), log, nullptr, false);
  if (parse.Complete()) return {};
  // The parser's own reason, as the JSON document gives it.
  if (!parse.Reason.Message.empty()) return parse.Reason.Message;
  if (!parse.Error.empty()) return parse.Error;
  return "the file ends before its first Cluster";
}

}  // namespace ambrel
