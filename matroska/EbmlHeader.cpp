// The EBML header reader: stores and logs the header's values; the document type is
// judged by the Matroska reader afterwards.
#include <array>

#include "matroska/ElementRules.h"
#include "matroska/MatroskaError.h"

namespace ambrel {

namespace {

const std::array<TElementRule<TEbmlHeader>, 7>& HeaderRules() {
  static const std::array<TElementRule<TEbmlHeader>, 7> rules = {
      UintRule(0x4286, "EBMLVersion", &TEbmlHeader::EBMLVersion),
      UintRule(0x42F7, "EBMLReadVersion", &TEbmlHeader::EBMLReadVersion),
      UintRule(0x42F2, "EBMLMaxIDLength", &TEbmlHeader::EBMLMaxIDLength),
      UintRule(0x42F3, "EBMLMaxSizeLength", &TEbmlHeader::EBMLMaxSizeLength),
      StringRule(0x4282, "DocType", &TEbmlHeader::DocType),
      UintRule(0x4287, "DocTypeVersion", &TEbmlHeader::DocTypeVersion),
      UintRule(0x4285, "DocTypeReadVersion", &TEbmlHeader::DocTypeReadVersion),
  };
  return rules;
}

// Leaves the header element on every path out of the reader, errors included.
class TLeaveGuard {
 public:
  explicit TLeaveGuard(TEbmlReader& Reader) : FReader(Reader) {}
  ~TLeaveGuard() { FReader.LeaveElement(); }
  TLeaveGuard(const TLeaveGuard&) = delete;
  TLeaveGuard& operator=(const TLeaveGuard&) = delete;

 private:
  TEbmlReader& FReader;
};

std::string Hex(uint32_t Value) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%X", Value);
  return buf;
}

}  // namespace

void TEbmlReader::ReaderHeader() {
  TEbmlElement E(this);
  if (E.ReadID() == 0) throw EMatroskaError("TEbmlReader.ReaderHeader : Can't read EBML header.");
  if (E.ID != kIdEbmlHeader)
    throw EMatroskaError("TEbmlReader.ReaderHeader : EBML header ID not found (found 0x" + Hex(E.ID) + ")");
  if (E.ReadSize() == 0)
    throw EMatroskaError("TEbmlReader.ReaderHeader : Can't read EBML header length.");

  Header.EBMLVersion = 1;
  Header.EBMLReadVersion = 1;
  Header.EBMLMaxIDLength = 4;
  Header.EBMLMaxSizeLength = 8;

  EnterElement(E);
  TLeaveGuard leave(*this);
  const auto& rules = HeaderRules();
  while (InElement()) {
    if (E.ReadHeader() == 0) {
      throw EMatroskaError("TEbmlReader.ReaderHeader : Error while reading element at position " +
                           std::to_string(E.Position) + ".");
    }
    const TElementRule<TEbmlHeader>* rule =
        FindRule(std::span<const TElementRule<TEbmlHeader>>(rules), E.ID);
    if (rule) {
      ReadRuleValue(E, *rule, Header);
    } else {
      E.Skip();
    }
  }
}

}  // namespace ambrel
