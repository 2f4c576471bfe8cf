// Comments and CDATA sections: a fixed opener, a body taken as is, a three-byte closer.
#include "xml/XmlCursor.h"

namespace ambrel {

void ExpectXmlBytes(TXmlCursor& in, std::string_view opener, const std::string& construct) {
  for (char expected : opener) {
    unsigned char b;
    if (!in.Next(b)) throw TSimpleXmlInvalid(construct + ": Unexpected end of data");
    if (b != static_cast<unsigned char>(expected)) {
      throw TSimpleXmlInvalid(construct + ": Expected " + std::string(1, expected) + " Found " + ByteText(b));
    }
  }
}

namespace {

// Reads opener, then the body up to closer + closer + '>'. The matcher does not look
// again at the byte that breaks a partial match, so "--->" does not close a comment.
std::string LoadDelimitedBody(TXmlReadStream& stream, TSimpleXml* document, std::string_view opener,
                              unsigned char closer, const std::string& construct) {
  TXmlCursor in(stream, document);
  ExpectXmlBytes(in, opener, construct);
  std::string body;
  int matched = 0;  // closer bytes seen in a row
  unsigned char b;
  while (in.Next(b)) {
    if (matched < 2 && b == closer) {
      ++matched;
      continue;
    }
    if (matched == 2 && b == '>') return body;
    body.append(static_cast<size_t>(matched), static_cast<char>(closer));
    body += static_cast<char>(b);
    matched = 0;
  }
  throw TSimpleXmlInvalid(construct + ": Unexpected end of data");
}

}  // namespace

void TSimpleXmlElemComment::LoadFromStream(TXmlReadStream& Stream, TSimpleXml* Document) {
  Value = LoadDelimitedBody(Stream, Document, "<!--", '-', "Invalid Comment");
  if (Document) Document->NotifyValueParsed("", Value);
}

void TSimpleXmlElemCData::LoadFromStream(TXmlReadStream& Stream, TSimpleXml* Document) {
  Value = LoadDelimitedBody(Stream, Document, "<![CDATA[", ']', "Invalid CDATA");
  if (Document) Document->NotifyValueParsed("", Value);
}

}  // namespace ambrel
