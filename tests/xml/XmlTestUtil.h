// Small helpers for the XML model tests.
#pragma once

#include <memory>
#include <sstream>
#include <string>

#include "xml/SimpleXml.h"

using namespace ambrel;

inline std::unique_ptr<TSimpleXml> ParseXml(const std::string& text) {
  auto xml = std::make_unique<TSimpleXml>();
  xml->LoadFromString(text);
  return xml;
}

// The message of the exception the load raises, or "<no error>".
inline std::string ParseError(const std::string& text) {
  TSimpleXml xml;
  try {
    xml.LoadFromString(text);
  } catch (const std::exception& error) {
    return XmlErrorMessage(error);
  }
  return "<no error>";
}

inline std::string Dump(TSimpleXml& xml) {
  std::ostringstream out;
  xml.SaveToStream(out);
  return out.str();
}

inline TSimpleXmlElem* Child(TSimpleXmlElem& parent, int index) { return parent.Items().Item(index); }
