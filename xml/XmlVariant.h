// Dynamic access to an element tree by names: a value that is either a borrowed
// element or an attribute's text.
#pragma once

#include <stdexcept>
#include <string>

#include "xml/SimpleXml.h"

namespace ambrel {

// Raised when a name is neither a child nor an attribute of the element.
class TXmlVariantError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TXmlVariant {
 public:
  TXmlVariant() = default;
  explicit TXmlVariant(TSimpleXmlElem* Element) : FElement(Element) {}

  // The child of that name as an element variant, else the attribute's text.
  TXmlVariant Get(const std::string& Name) const;
  TXmlVariant operator[](const std::string& Name) const { return Get(Name); }
  // Assigns the Value of the child of that name, else of the attribute.
  void Set(const std::string& Name, const std::string& Value) const;

  // An element converts to its text form (empty indent); an attribute to its text.
  std::string ToString() const;
  explicit operator std::string() const { return ToString(); }

  // True when it refers to no element, or to an element without children.
  bool IsEmpty() const;
  void Clear();

  TSimpleXmlElem* Element() const { return FElement; }
  bool IsElement() const { return FElement != nullptr; }

 private:
  TSimpleXmlElem* FElement = nullptr;
  bool FIsText = false;
  std::string FText;
};

}  // namespace ambrel
