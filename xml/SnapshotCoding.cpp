#include "xml/SnapshotCoding.h"

namespace ambrel {

void PutSnapshotCount(std::string& Out, size_t Value) {
  while (Value >= 0x80) {
    Out += static_cast<char>((Value & 0x7F) | 0x80);
    Value >>= 7;
  }
  Out += static_cast<char>(Value);
}

void PutSnapshotText(std::string& Out, std::string_view Text) {
  PutSnapshotCount(Out, Text.size());
  Out += Text;
}

size_t TSnapshotReader::LongCount() {
  size_t value = 0;
  for (int shift = 0; shift < 64; shift += 7) {
    const unsigned char b = Byte();
    value |= static_cast<size_t>(b & 0x7F) << shift;
    if (!(b & 0x80)) return value;
  }
  Damaged("count too long");
}

size_t TSnapshotReader::ItemCount() {
  const size_t count = Count();
  if (count > FData.size() - FAt) Damaged("count past the end");
  return count;
}

std::string_view TSnapshotReader::Text() {
  const size_t size = Count();
  if (size > FData.size() - FAt) Damaged("text past the end");
  const std::string_view text = FData.substr(FAt, size);
  FAt += size;
  return text;
}

void TSnapshotReader::Damaged(const std::string& What) const {
  throw TSimpleXmlInvalid("Invalid " + std::string(FForm) + ": " + What);
}

}  // namespace ambrel
