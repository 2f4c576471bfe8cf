#include "app/cli/CodecDbCommands.h"

#include <exception>
#include <memory>
#include <vector>

#include "app/cli/JsonStream.h"
#include "base/TextUtil.h"
#include "codecdb/XmlCodecDB.h"

namespace ambrel {

int RunCodecQuery(const std::string& CodecID, const std::string& Fourcc, const std::string& ExeDir,
                  const TCodecDbChoice& Choice, std::ostream& out, std::ostream& err, bool Json) {
  TChosenCodecDB chosen;
  try {
    chosen = ChooseCodecDB(Choice, ExeDir);
  } catch (const std::exception& error) {
    err << XmlErrorMessage(error) << "\n";
    return 1;
  }
  if (!chosen.Error.empty()) err << "ambrel-cli: " << chosen.Error << "\n";
  if (chosen.Failed) return 1;
  const TXmlCodecDB* db = chosen.File ? chosen.File.get() : &chosen.Embedded();
  std::vector<TCodecProposal> hits;
  db->FindProposals(CodecID, Fourcc, hits);
  if (hits.empty()) {
    err << "ambrel-cli: no codec database entry for " << CodecID;
    if (!Fourcc.empty()) err << " with FOURCC " << Fourcc;
    err << "\n";
    return 1;
  }
  if (Json) {
    TJson proposals = TJson::array();
    for (const TCodecProposal& hit : hits) proposals.push_back({{"name", ValidUtf8(hit.Name)}, {"guid", ValidUtf8(hit.Guid)}});
    const TJson document = {{"codec_id", ValidUtf8(CodecID)},
                            {"fourcc", Fourcc.empty() ? TJson() : TJson(ValidUtf8(Fourcc))},
                            {"proposals", std::move(proposals)}};
    out << document.dump() << "\n";  // texts made well-formed above
    return 0;
  }
  for (const TCodecProposal& hit : hits) out << hit.Name << '\t' << hit.Guid << "\n";
  return 0;
}

int RunCheckCodecDB(const std::string& FileName, std::ostream& out, std::ostream& /*err*/) {
  TXmlCodecDB db;
  bool isCodecDB = false;
  try {
    isCodecDB = db.LoadFromFile(FileName);
  } catch (const std::exception& error) {
    out << XmlErrorMessage(error) << "\n";
    return 1;
  }
  if (!isCodecDB) {
    out << db.NotCodecDBMessage() << "\n";
    return 1;
  }
  TSimpleXmlElemClassic& root = db.Document().Root();
  int codecCount = 0;
  int filterCount = 0;
  if (TSimpleXmlElem* codecs = root.Items().FindItem("codecs")) {
    codecCount = codecs->Items().Count();
    for (int i = 0; i < codecCount; ++i) {
      if (TSimpleXmlElem* filters = codecs->Items().Item(i)->Items().FindItem("filters")) {
        filterCount += filters->Items().Count();
      }
    }
  }
  out << "ok " << codecCount << ' ' << filterCount << "\n";
  return 0;
}

int RunDumpXml(const std::string& FileName, std::ostream& out, std::ostream& err) {
  TSimpleXml xml;
  try {
    xml.LoadFromFile(FileName);
  } catch (const std::exception& error) {
    err << XmlErrorMessage(error) << "\n";
    return 1;
  }
  xml.SaveToStream(out);
  return 0;
}

}  // namespace ambrel
