#include "xml/XmlStream.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace ambrel {

std::string TXmlReadStream::ReadBuffer(size_t count) {
  if (FPosition > FData.size() || FData.size() - FPosition < count) throw TXmlStreamError("Stream read error");
  std::string bytes(FData.substr(FPosition, count));
  FPosition += count;
  return bytes;
}

std::string ReadWholeFile(const std::string& fileName) {
  errno = 0;
  std::error_code ignored;
  if (std::filesystem::is_directory(fileName, ignored)) {
    throw TXmlStreamError("Cannot open file \"" + fileName + "\". " + std::strerror(EISDIR));
  }
  std::ifstream file(fileName, std::ios::binary);
  if (!file) {
    const int code = errno;
    throw TXmlStreamError("Cannot open file \"" + fileName + "\". " +
                          std::strerror(code != 0 ? code : ENOENT));
  }
  std::ostringstream bytes;
  bytes << file.rdbuf();
  if (file.bad()) throw TXmlStreamError("Stream read error");
  return std::move(bytes).str();
}

}  // namespace ambrel
