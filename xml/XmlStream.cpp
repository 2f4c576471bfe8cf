#include "xml/XmlStream.h"

#include "io/DataFile.h"

namespace ambrel {

std::string TXmlReadStream::ReadBuffer(size_t count) {
  if (FPosition > FData.size() || FData.size() - FPosition < count) throw TXmlStreamError("Stream read error");
  std::string bytes(FData.substr(FPosition, count));
  FPosition += count;
  return bytes;
}

std::string ReadWholeFile(const std::string& fileName) {
  std::string bytes;
  const platform::TReadResult result = platform::ReadWholeFile(fileName, kMaxXmlFileSize, bytes);
  if (!result.Ok()) throw TXmlStreamError(result.Message);
  return bytes;
}

}  // namespace ambrel
