// The EBML header reader: stores and logs the header's values; the document type is
// judged by the Matroska reader afterwards.
#include <array>

#include "base/Hex.h"
#include "matroska/ElementRules.h"
#include "matroska/MatroskaError.h"

namespace ambrel {

namespace {

const std::array<TElementRule<TEbmlHeader>, 7>& HeaderRules() {
  static const std::array<TElementRule<TEbmlHeader>, 7> rules = {
      UintRule(ids::kEBMLVersion, "EBMLVersion", &TEbmlHeader::EBMLVersion).WithDefault(1),
      UintRule(ids::kEBMLReadVersion, "EBMLReadVersion", &TEbmlHeader::EBMLReadVersion).WithDefault(1),
      UintRule(ids::kEBMLMaxIDLength, "EBMLMaxIDLength", &TEbmlHeader::EBMLMaxIDLength).WithDefault(4),
      UintRule(ids::kEBMLMaxSizeLength, "EBMLMaxSizeLength", &TEbmlHeader::EBMLMaxSizeLength).WithDefault(8),
      StringRule(ids::kDocType, "DocType", &TEbmlHeader::DocType),
      UintRule(ids::kDocTypeVersion, "DocTypeVersion", &TEbmlHeader::DocTypeVersion),
      UintRule(ids::kDocTypeReadVersion, "DocTypeReadVersion", &TEbmlHeader::DocTypeReadVersion),
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

}  // namespace

void TEbmlReader::ReaderHeader() {
  TEbmlElement E(this);
  if (E.ReadID() == 0) throw EMatroskaError("TEbmlReader.ReaderHeader : Can't read EBML header.");
  if (E.ID != ids::kEBML)
    throw EMatroskaError("TEbmlReader.ReaderHeader : EBML header ID not found (found 0x" + HexText(E.ID) + ")");
  if (E.ReadSize() == 0)
    throw EMatroskaError("TEbmlReader.ReaderHeader : Can't read EBML header length.");

  const std::span<const TElementRule<TEbmlHeader>> rules = HeaderRules();
  ApplyDefaults(rules, Header);
  EnterElement(E);
  TLeaveGuard leave(*this);
  while (InElement()) {
    if (E.ReadHeader() == 0) {
      throw EMatroskaError("TEbmlReader.ReaderHeader : Error while reading element at position " +
                           std::to_string(E.Position) + ".");
    }
    if (const TElementRule<TEbmlHeader>* rule = FindRule(rules, E.ID)) {
      ReadRuleValue(E, *rule, Header);
    } else {
      E.Skip();
    }
  }
}

}  // namespace ambrel
