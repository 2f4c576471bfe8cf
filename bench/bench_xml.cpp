// Parses a generated codec database of about 10 MB and prints how long it took.
#include <chrono>
#include <cstdio>
#include <string>

#include "codecdb/XmlCodecDB.h"

using namespace ambrel;

namespace {

// One codec entry shaped like the embedded ones, with two filters.
void AppendCodec(std::string& xml, int id) {
  const std::string n = std::to_string(id);
  xml += "\t\t<codec id=\"" + n + "\">\r\n";
  xml += "\t\t\t<name>Codec " + n + "</name>\r\n\t\t\t<type>video</type>\r\n";
  xml += "\t\t\t<description>Generated entry &amp; nothing more &#60;" + n + "&#62;.</description>\r\n";
  xml += "\t\t\t<url>http://example.org/codec/" + n + "/</url>\r\n";
  xml += "\t\t\t<!-- entry " + n + " -->\r\n\t\t\t<filters>\r\n";
  for (int f = 0; f < 2; ++f) {
    xml += "\t\t\t\t<filter guid=\"{" + n + "-0000-0010-8000-00AA00389B7" + std::to_string(f) +
           "}\" version=\"1.0.0." + n + "\">\r\n";
    xml += "\t\t\t\t\t<name>Filter " + n + "</name>\r\n\t\t\t\t\t<fourccs>\r\n";
    xml += "\t\t\t\t\t\t<fourcc>F" + n + "</fourcc>\r\n\t\t\t\t\t\t<fourcc>G" + n + "</fourcc>\r\n";
    xml += "\t\t\t\t\t</fourccs>\r\n\t\t\t\t\t<matroskaids>\r\n";
    xml += "\t\t\t\t\t\t<matroskaid>V_GEN/" + n + "</matroskaid>\r\n";
    xml += "\t\t\t\t\t</matroskaids>\r\n\t\t\t\t</filter>\r\n";
  }
  xml += "\t\t\t</filters>\r\n\t\t</codec>\r\n";
}

}  // namespace

int main() {
  std::string xml = "<?xml version=\"1.0\"?>\r\n<codecdb major-version=\"1\" minor-version=\"0\">\r\n\t<codecs>\r\n";
  int codecs = 0;
  while (xml.size() < 10u * 1024 * 1024) AppendCodec(xml, ++codecs);
  xml += "\t</codecs>\r\n</codecdb>\r\n";

  TXmlCodecDB db;
  const auto start = std::chrono::steady_clock::now();
  const bool isCodecDB = db.LoadFromString(xml);
  const auto parsed = std::chrono::steady_clock::now();
  TCodecFilterMatch match;
  int hits = 0;
  for (db.FindFirstFilter("V_GEN/" + std::to_string(codecs), "", match); match.Found; db.FindNextFilter(match)) ++hits;
  const auto queried = std::chrono::steady_clock::now();

  using ms = std::chrono::duration<double, std::milli>;
  std::printf("document: %zu bytes, %d codec entries, root codecdb: %s\n", xml.size(), codecs,
              isCodecDB ? "yes" : "no");
  std::printf("parse: %.1f ms (%.1f MB/s)\n", ms(parsed - start).count(),
              xml.size() / 1048576.0 / (ms(parsed - start).count() / 1000.0));
  std::printf("query over all entries: %.1f ms, %d hit(s)\n", ms(queried - parsed).count(), hits);
  return 0;
}
