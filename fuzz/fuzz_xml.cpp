// Feeds arbitrary bytes to the XML parser and the codec database. The only claim: no
// crash, and every failure is one of the parser's or the stream's own errors.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "codecdb/XmlCodecDB.h"
#include "xml/SimpleXml.h"

using namespace ambrel;

namespace {

// Parses bytes into a document; false when the parser rejects them.
bool Parse(TSimpleXml& xml, const std::string& bytes) {
  try {
    xml.LoadFromString(bytes);
    return true;
  } catch (const TSimpleXmlInvalid&) {
  } catch (const TXmlStreamError&) {
  }
  return false;
}

// The text form of what a load builds, or its failure. With the progress event set, the
// loader reads the root's content byte by byte instead of taking its shortcuts.
std::string Outcome(const std::string& bytes, bool reportProgress) {
  TSimpleXml xml;
  if (reportProgress) xml.OnLoadProgress = [](TSimpleXml*, int, int) {};
  try {
    xml.LoadFromString(bytes);
  } catch (const TSimpleXmlInvalid& error) {
    return "invalid: " + error.Message();
  } catch (const TXmlStreamError& error) {
    return std::string("stream: ") + error.what();
  }
  std::ostringstream written;
  xml.SaveToStream(written);
  return written.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  TSimpleXml xml;
  if (Parse(xml, bytes)) {
    std::ostringstream written;
    xml.SaveToStream(written);
    TSimpleXml again;
    Parse(again, written.str());
  }

  // The shortcuts build what reading byte by byte builds.
  if (Outcome(bytes, true) != Outcome(bytes, false)) __builtin_trap();

  // Whatever was built before an error is queried as it is.
  TXmlCodecDB db;
  try {
    db.LoadFromString(bytes);
  } catch (const TSimpleXmlInvalid&) {
  } catch (const TXmlStreamError&) {
  }
  TCodecFilterMatch match;
  for (const char* codecID : {"V_MS/VFW/FOURCC", "A_AAC/MPEG4/LC", "x"}) {
    for (db.FindFirstFilter(codecID, "XVID", match); match.Found; db.FindNextFilter(match)) {
      GetChildValue(match.Codec, "name");
      match.Filter->Properties().PropertyValue("guid", "");
    }
  }

  std::string text = bytes;
  DecodeEntities(text, size % 2 == 0);
  if (text.size() > bytes.size()) __builtin_trap();  // decoding never grows a text
  return 0;
}
