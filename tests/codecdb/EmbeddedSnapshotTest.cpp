// The embedded database is used from its build-time snapshot: the tree rebuilt from it
// must be the one the XML text parses to, down to every query's answer.
#include <gtest/gtest.h>

#include <sstream>

#include "CodecDbTestUtil.h"

namespace {

std::string WrittenForm(const TXmlCodecDB& db) {
  std::ostringstream text;
  const_cast<TXmlCodecDB&>(db).Document().SaveToStream(text);
  return text.str();
}

}  // namespace

TEST(EmbeddedSnapshot, IsTheTreeTheXmlParsesTo) {
  TXmlCodecDB parsed;
  ASSERT_TRUE(parsed.LoadFromString(ambrel::resources::CodecsDB()));
  TXmlCodecDB rebuilt;
  ASSERT_TRUE(rebuilt.LoadFromSnapshot(ambrel::resources::CodecsDBSnapshot()));
  const std::string text = WrittenForm(parsed);
  EXPECT_EQ(WrittenForm(rebuilt), text);
  EXPECT_EQ(WrittenForm(EmbeddedCodecDB()), text);

  std::set<std::string> ids, fourccs;
  CollectKeys(parsed.Document().Root(), "matroskaids", ids);
  CollectKeys(parsed.Document().Root(), "fourccs", fourccs);
  EXPECT_GE(ids.size(), 20u);
  EXPECT_GE(fourccs.size(), 10u);
  ids.insert({"", "V_MS/VFW/FOURCC", "v_mpeg4/iso", "A_NONE"});
  for (const std::string& id : ids) {
    EXPECT_EQ(Hits(rebuilt, id), Hits(parsed, id)) << id;
    EXPECT_FALSE(id == "V_MPEG4/ISO" && Hits(rebuilt, id).empty());
  }
  for (const std::string& fourcc : fourccs) {
    EXPECT_EQ(Hits(rebuilt, "V_MS/VFW/FOURCC", fourcc), Hits(parsed, "V_MS/VFW/FOURCC", fourcc)) << fourcc;
    EXPECT_FALSE(Hits(rebuilt, "V_MS/VFW/FOURCC", fourcc).empty()) << fourcc;
  }
}
