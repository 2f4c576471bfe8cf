// The table of the codec database's answers: made from a tree with the database's own
// query, it must answer every query as the tree does, for the embedded database and for
// databases that use the query's corner cases; a damaged table is refused.
#include <gtest/gtest.h>

#include <sstream>

#include "CodecDbTestUtil.h"
#include "xml/XmlSnapshot.h"

namespace {

using Proposals = std::vector<TCodecProposal>;

Proposals Answer(const TXmlCodecDB& db, const std::string& codecID, const std::string& fourcc) {
  Proposals out{{"stale", "", "", ""}};  // replaced, not appended to
  db.FindProposals(codecID, fourcc, out);
  return out;
}

// Every query the table holds, and some it does not, answered alike by both databases.
void ExpectSameAnswers(const TXmlCodecDB& tree, const TXmlCodecDB& table) {
  const auto queries = TreeQueries(tree);
  ASSERT_GT(queries.size(), 4u);  // the tree adds to the four fixed queries
  for (const auto& [codecID, fourcc] : queries) {
    EXPECT_EQ(Answer(table, codecID, fourcc), Answer(tree, codecID, fourcc)) << codecID << " / " << fourcc;
  }
  EXPECT_EQ(table.RootIsCodecDB(), tree.RootIsCodecDB());
}

// A database parsed from xml, and the same database answering from its table (whose bytes
// live in *saved) with the tree rebuilt on demand from *snapshot.
void LoadBoth(const std::string& xml, TXmlCodecDB& tree, TXmlCodecDB& table, std::string& snapshot,
              std::string& saved) {
  tree.LoadFromString(xml);
  snapshot = SaveXmlSnapshot(tree.Document());
  saved = TCodecFilterTable::Make(tree);
  table.LoadFromTables(snapshot, saved);
}

std::string TableError(std::string_view saved) {
  TCodecFilterTable table;
  try {
    table.Load(saved);
  } catch (const TSimpleXmlInvalid& error) {
    std::vector<TCodecProposal> out;
    table.Find("A", "", out);  // left empty
    EXPECT_TRUE(out.empty());
    return error.Message();
  }
  return "";
}

}  // namespace

TEST(FilterTable, EmbeddedTableAnswersAsTheParsedText) {
  TXmlCodecDB parsed;
  ASSERT_TRUE(parsed.LoadFromString(ambrel::resources::CodecsDB()));
  ExpectSameAnswers(parsed, EmbeddedCodecDB());
  TXmlCodecDB loaded;
  EXPECT_TRUE(LoadCodecDB(loaded, "", nullptr));
  ExpectSameAnswers(parsed, loaded);
  EXPECT_EQ(Answer(loaded, "V_MPEG4/ISO", "").size(), 3u);
  EXPECT_EQ(Answer(loaded, "A_MPEG/L3", ""),
            (Proposals{{"MP3 Fraunhofer Filter", "{38BE3000-DBF4-11D0-860E-00A024CFEF6D}",
                        "Already installed with Windows.", ""}}));
}

TEST(FilterTable, CornerCasesOfTheQuery) {
  // Case-blind child and list names with the last of equal names winning, a codec entry
  // with two matching filters (the first answers), a filter without a guid, an empty
  // FourCC, the Video for Windows codec ID listed as an ID, entries without filters.
  const std::string xml =
      "<codecdb><Codecs/><codecs>"
      "<codec><name>first</name><NAME>A&amp;B</NAME><url>u1</url><installcomments>c1</installcomments>"
      "<filters><filter guid='{1}'><matroskaids><id>A</id><id>V_MS/VFW/FOURCC</id></matroskaids>"
      "<fourccs><f>XVID</f><f></f></fourccs></filter>"
      "<filter guid='{2}'><matroskaids><id>A</id><id>B</id></matroskaids></filter></filters></codec>"
      "<!-- note -->text<codec><name>second</name>"
      "<filters><filter><MatroskaIDs><id>B</id></MatroskaIDs><matroskaids><id>A</id></matroskaids>"
      "<fourccs><f>XVID</f></fourccs><FOURCCS><f>DIVX</f></FOURCCS></filter></filters></codec>"
      "<codec><name>none</name></codec><codec><filters><filter guid='{3}' GUID='{4}'>"
      "<fourccs><f>DIVX</f></fourccs><matroskaids><id>a</id></matroskaids></filter></filters></codec>"
      "</codecs></codecdb>";
  TXmlCodecDB tree, table;
  std::string snapshot, saved;
  LoadBoth(xml, tree, table, snapshot, saved);
  ExpectSameAnswers(tree, table);
  EXPECT_EQ(Answer(table, "A", ""), (Proposals{{"A&B", "{1}", "c1", "u1"}, {"second", "", "", ""}}));
  EXPECT_EQ(Answer(table, "B", ""), (Proposals{{"A&B", "{2}", "c1", "u1"}}));
  EXPECT_EQ(Answer(table, "V_MS/VFW/FOURCC", ""), (Proposals{{"A&B", "{1}", "c1", "u1"}}));
  EXPECT_EQ(Answer(table, "V_MS/VFW/FOURCC", "DIVX"), (Proposals{{"second", "", "", ""}, {"", "{4}", "", ""}}));
  EXPECT_EQ(Answer(table, "a", ""), (Proposals{{"", "{4}", "", ""}}));
  EXPECT_EQ(Answer(table, "A_NONE", "XVID"), Proposals{});

  // A root of another name answers nothing, from either.
  TXmlCodecDB otherTree, otherTable;
  LoadBoth("<CodecDB><codecs><codec><filters><filter><matroskaids><id>A</id></matroskaids></filter></filters>"
           "</codec></codecs></CodecDB>",
           otherTree, otherTable, snapshot, saved);
  EXPECT_FALSE(otherTable.RootIsCodecDB());
  EXPECT_EQ(Answer(otherTable, "A", ""), Proposals{});
  ExpectSameAnswers(otherTree, otherTable);
}

TEST(FilterTable, AcmTracksAreMatchedByTheirFormatTag) {
  // A filter listing the ACM codec ID with a wFormatTags list takes only those tags; one
  // without a list takes any ACM track; a list on a filter of another codec ID changes
  // nothing for ACM tracks.
  const std::string xml =
      "<codecdb><codecs>"
      "<codec><name>gsm</name><filters><filter guid='{5}'><matroskaids><id>A_MS/ACM</id></matroskaids>"
      "<wFormatTags><t>0x0031</t></wFormatTags></filter></filters></codec>"
      "<codec><name>any</name><filters><filter guid='{6}'><matroskaids><id>A_MS/ACM</id></matroskaids>"
      "</filter></filters></codec>"
      "<codec><name>aac</name><filters><filter guid='{7}'><matroskaids><id>A_AAC</id></matroskaids>"
      "<wFormatTags><t>0x00FF</t></wFormatTags></filter></filters></codec>"
      "</codecs></codecdb>";
  TXmlCodecDB tree, table;
  std::string snapshot, saved;
  LoadBoth(xml, tree, table, snapshot, saved);
  ExpectSameAnswers(tree, table);
  const Proposals any{{"any", "{6}", "", ""}};
  EXPECT_EQ(Answer(table, "A_MS/ACM", "0x0031"), (Proposals{{"gsm", "{5}", "", ""}, {"any", "{6}", "", ""}}));
  EXPECT_EQ(Answer(table, "A_MS/ACM", "0x0002"), any);
  EXPECT_EQ(Answer(table, "A_MS/ACM", "0x00FF"), any);
  EXPECT_EQ(Answer(table, "A_MS/ACM", ""), any);
  EXPECT_EQ(Answer(table, "A_AAC", "0x0031"), (Proposals{{"aac", "{7}", "", ""}}));
}

TEST(FilterTable, TreeRebuiltOnDemandAndChangesFollowed) {
  TXmlCodecDB tree, table;
  std::string snapshot, saved;
  LoadBoth("<codecdb><codecs><codec><name>n</name><filters><filter guid='g'><matroskaids><id>A</id>"
           "</matroskaids></filter></filters></codec></codecs></codecdb>",
           tree, table, snapshot, saved);
  const TXmlCodecDB& readOnly = table;
  EXPECT_EQ(readOnly.Document().Root().SaveToString(), tree.Document().Root().SaveToString());
  TCodecFilterMatch match;
  table.FindFirstFilter("A", "", match);  // the pointer query reads the rebuilt tree
  ASSERT_TRUE(match.Found);
  EXPECT_EQ(match.Filter->Properties().PropertyValue("guid", ""), "g");
  // Whoever may change the tree gets queries that follow it.
  table.Document().Root().Items().FindItem("codecs")->Items().Item(0)->Items().FindItem("name")->Value = "changed";
  EXPECT_EQ(Answer(table, "A", ""), (Proposals{{"changed", "g", "", ""}}));
  // Loading other text leaves nothing of the table.
  table.LoadFromString("<codecdb/>");
  EXPECT_EQ(Answer(table, "A", ""), Proposals{});
}

TEST(FilterTable, DamagedTablesAreRefused) {
  TXmlCodecDB tree;
  tree.LoadFromString("<codecdb><codecs><codec><name>n</name><filters><filter guid='g'><matroskaids><id>A</id>"
                      "<id>B</id></matroskaids></filter></filters></codec></codecs></codecdb>");
  const std::string saved = TCodecFilterTable::Make(tree);
  EXPECT_EQ(TableError(saved), "");
  EXPECT_EQ(TableError("BCF1" + saved.substr(4)), "Invalid codec filter table: not a codec filter table");
  EXPECT_EQ(TableError(saved + "x"), "Invalid codec filter table: bytes after the keys");
  for (size_t size = 4; size < saved.size(); ++size) EXPECT_NE(TableError(saved.substr(0, size)), "") << size;
  // Layout: magic, root byte, 1 codec ("n", "", ""), 2 keys, 2 hits: (0, "A", 1 hit: 0 "g"),
  // (0, "B", ...).
  const size_t firstKey = 4 + 1 + 1 + 2 + 1 + 1 + 1 + 1;
  ASSERT_EQ(saved.substr(firstKey, 3), std::string("\0\1A", 3));
  std::string swapped = saved;
  swapped[firstKey + 2] = 'C';
  EXPECT_EQ(TableError(swapped), "Invalid codec filter table: keys out of order");
  std::string kind = saved;
  kind[firstKey] = 3;  // 0, 1 and 2 are codec IDs, FourCCs and wFormatTags
  EXPECT_EQ(TableError(kind), "Invalid codec filter table: unknown key kind");
  std::string codec = saved;
  codec[firstKey + 4] = 1;
  EXPECT_EQ(TableError(codec), "Invalid codec filter table: hit past the codec entries");
  std::string hits = saved;
  hits[firstKey - 1] = 1;
  EXPECT_EQ(TableError(hits), "Invalid codec filter table: hit count wrong");
  TXmlCodecDB db;
  EXPECT_THROW(db.LoadFromTables(SaveXmlSnapshot(tree.Document()), saved.substr(0, 9)), TSimpleXmlInvalid);
}
