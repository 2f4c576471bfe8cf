// The binary coding shared by the build-time forms the program reads back (the XML
// snapshot, the codec filter table): counts and string lengths as unsigned LEB128,
// strings as their bytes. The reader checks every read against the end and raises
// TSimpleXmlInvalid, its message starting with the form's name, on damaged data.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "xml/SimpleXml.h"

namespace ambrel {

void PutSnapshotCount(std::string& Out, size_t Value);
void PutSnapshotText(std::string& Out, std::string_view Text);

class TSnapshotReader {
 public:
  // Form names the data in error messages ("Invalid " + Form + ": ...").
  TSnapshotReader(std::string_view Data, std::string_view Form) : FData(Data), FForm(Form) {}

  bool AtEnd() const { return FAt == FData.size(); }
  unsigned char Byte() {
    if (FAt >= FData.size()) Damaged("unexpected end");
    return static_cast<unsigned char>(FData[FAt++]);
  }
  size_t Count() {
    // Most counts and lengths fit in one byte.
    if (FAt < FData.size() && !(FData[FAt] & 0x80)) return static_cast<unsigned char>(FData[FAt++]);
    return LongCount();
  }
  // A count of things that each take at least one more byte, so never more than remain.
  size_t ItemCount();
  // The next string, as a view into the data.
  std::string_view Text();
  [[noreturn]] void Damaged(const std::string& What) const;

 private:
  size_t LongCount();

  std::string_view FData;
  std::string_view FForm;
  size_t FAt = 0;
};

}  // namespace ambrel
