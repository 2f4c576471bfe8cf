#include "xml/XmlVariant.h"

namespace ambrel {

TXmlVariant TXmlVariant::Get(const std::string& Name) const {
  if (FElement) {
    if (TSimpleXmlElem* child = FElement->Items().FindItem(Name)) return TXmlVariant(child);
    if (const TSimpleXmlProp* prop = FElement->Properties().FindProperty(Name)) {
      TXmlVariant text;
      text.FIsText = true;
      text.FText = prop->Value;
      return text;
    }
  }
  throw TXmlVariantError("Invalid variant property: " + Name);
}

void TXmlVariant::Set(const std::string& Name, const std::string& Value) const {
  if (FElement) {
    if (TSimpleXmlElem* child = FElement->Items().FindItem(Name)) {
      child->Value = Value;
      return;
    }
    if (TSimpleXmlProp* prop = FElement->Properties().FindProperty(Name)) {
      prop->Value = Value;
      return;
    }
  }
  throw TXmlVariantError("Invalid variant property: " + Name);
}

std::string TXmlVariant::ToString() const {
  if (FElement) return FElement->SaveToString();
  return FText;
}

bool TXmlVariant::IsEmpty() const { return !FElement || !FElement->HasItems(); }

void TXmlVariant::Clear() {
  FElement = nullptr;
  FIsText = false;
  FText.clear();
}

}  // namespace ambrel
