// A compact binary form of a loaded document, made at build time from a parsed file and
// turned back into the same tree without parsing text: the prolog and the root with
// every node's kind, name, value, prefix, declaration fields, attributes and children,
// in document order.
#pragma once

#include <string>
#include <string_view>

#include "xml/SimpleXml.h"

namespace ambrel {

// The snapshot of Document.
std::string SaveXmlSnapshot(const TSimpleXml& Document);
// Clears Document and rebuilds it from Snapshot. A snapshot that is damaged, truncated,
// has bytes left over or nests deeper than kMaxXmlNestingDepth raises TSimpleXmlInvalid
// (the nodes rebuilt before that stay, as after a parse error).
void LoadXmlSnapshot(TSimpleXml& Document, std::string_view Snapshot);

}  // namespace ambrel
