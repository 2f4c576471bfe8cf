// Choosing the database: a file beside the executable, else the embedded one; and
// documents that are not codec databases.
#include <gtest/gtest.h>

#include <sstream>

#include "CodecDbTestUtil.h"
#include "app/cli/CodecDbCommands.h"

using namespace ambrel;

TEST(Override, FileBesideTheExecutableReplacesTheEmbeddedDatabase) {
  TScratchDir dir("replace");
  dir.Write("CodecsDB.xml",
            "<codecdb><CODECS><codec><name>Mine</name><filters><filter guid=\"{G}\"><matroskaids>"
            "<id>A_AAC/MPEG4/LC</id></matroskaids></filter></filters></codec></CODECS></codecdb>");
  TXmlCodecDB db;
  std::string error;
  EXPECT_TRUE(LoadCodecDB(db, dir.Path(), &error));
  EXPECT_EQ(error, "");
  EXPECT_EQ(Hits(db, "A_AAC/MPEG4/LC"), (std::vector<std::pair<std::string, std::string>>{{"", "{G}"}}));
  EXPECT_TRUE(Hits(db, "V_MPEG4/ISO").empty());

  dir.Write("CodecsDB.xml", "<codecdb/>");
  EXPECT_TRUE(LoadCodecDB(db, dir.Path() + "/", &error));
  EXPECT_TRUE(Hits(db, "A_AAC/MPEG4/LC").empty());
}

TEST(Override, WithoutAFileTheEmbeddedDatabaseAnswers) {
  TScratchDir dir("none");
  TXmlCodecDB db;
  std::string error;
  EXPECT_TRUE(LoadCodecDB(db, dir.Path(), &error));
  EXPECT_EQ(error, "");
  EXPECT_EQ(Hits(db, "A_AAC/MPEG4/LC").size(), 1u);
}

TEST(Override, BrokenFileFallsBackToTheEmbeddedDatabase) {
  TScratchDir dir("broken");
  dir.Write("CodecsDB.xml", "<codecdb><codecs></codec></codecdb>");
  TXmlCodecDB db;
  std::string error;
  EXPECT_TRUE(LoadCodecDB(db, dir.Path(), &error));
  EXPECT_EQ(error, "Invalid XML Element: Erroneous end of tag, expecting </codecs> but </codec> found.");
  EXPECT_EQ(Hits(db, "A_AAC/MPEG4/LC").size(), 1u);

  // A directory by that name cannot be opened: also reported, also replaced.
  TScratchDir other("unreadable");
  std::filesystem::create_directory(other.Path() + "/CodecsDB.xml");
  error.clear();
  EXPECT_TRUE(LoadCodecDB(db, other.Path(), &error));
  EXPECT_EQ(error.rfind("Cannot open file \"", 0), 0u) << error;

  std::ostringstream out, err;
  EXPECT_EQ(RunCodecQuery("A_FLAC", "", dir.Path(), out, err), 0);
  EXPECT_EQ(out.str(), "CoreFLAC\t{5DBB7F32-16AF-41C8-9D4B-7D47654B7650}\n");
  EXPECT_EQ(err.str(), "Invalid XML Element: Erroneous end of tag, expecting </codecs> but </codec> found.\n");
}

TEST(Override, RootsThatAreNotCodecdb) {
  TXmlCodecDB db;
  EXPECT_FALSE(db.LoadFromString("<CODECDB><codecs><c><filters><f><matroskaids><i>X</i></matroskaids></f>"
                                 "</filters></c></codecs></CODECDB>"));
  EXPECT_TRUE(Hits(db, "X").empty());
  EXPECT_TRUE(db.LoadFromString("<codecdb><codecs><c><filters><f><matroskaids><i>X</i></matroskaids></f>"
                                "</filters></c></codecs></codecdb>"));
  EXPECT_EQ(Hits(db, "X").size(), 1u);
  EXPECT_TRUE(db.LoadFromString("<codecdb><codecs/></codecdb>"));
  EXPECT_TRUE(Hits(db, "X").empty());
}

TEST(Commands, CodecQueryPrintsOneLinePerHit) {
  TScratchDir dir("query");
  std::ostringstream out, err;
  EXPECT_EQ(RunCodecQuery("V_MS/VFW/FOURCC", "DX50", dir.Path(), out, err), 0);
  EXPECT_EQ(out.str(),
            "ffdshow\t{04FE9017-F873-410E-871E-AB91661A4EF7}\n"
            "Divx\t{78766964-0000-0010-8000-00AA00389B71}\n");
  EXPECT_EQ(err.str(), "");
}

TEST(Commands, CheckCodecDB) {
  TScratchDir dir("check");
  std::ostringstream out, err;
  EXPECT_EQ(RunCheckCodecDB(dir.Write("db.xml", std::string(ambrel::resources::CodecsDB())), out, err), 0);
  EXPECT_EQ(out.str(), "ok 12 17\n");

  out.str("");
  EXPECT_EQ(RunCheckCodecDB(dir.Write("empty.xml", "<codecdb/>"), out, err), 0);
  EXPECT_EQ(out.str(), "ok 0 0\n");

  out.str("");
  EXPECT_EQ(RunCheckCodecDB(dir.Write("other.xml", "<other/>"), out, err), 1);
  EXPECT_EQ(out.str(), "not a codec database: the root element is \"other\", not \"codecdb\"\n");

  out.str("");
  EXPECT_EQ(RunCheckCodecDB(dir.Write("bad.xml", "<codecdb a=1/>"), out, err), 1);
  EXPECT_EQ(out.str(),
            "Invalid XML Element: Unexpected character in property declaration. Expecting \" or ' but 1 found.\n");

  out.str("");
  EXPECT_EQ(RunCheckCodecDB(dir.Write("short.xml", "<"), out, err), 1);
  EXPECT_EQ(out.str(), "Stream read error\n");
}

TEST(Commands, DumpXml) {
  TScratchDir dir("dump");
  std::ostringstream out, err;
  EXPECT_EQ(RunDumpXml(dir.Write("a.xml", "<?xml version=\"1.0\"?>\n<a><b x=\"1\">t</b></a>"), out, err), 0);
  EXPECT_EQ(out.str(), "<?xml version=\"1.0\"?>\r\n<a>\r\n <b x=\"1\">t</b>\r\n</a>\r\n");
  EXPECT_EQ(err.str(), "");

  out.str("");
  EXPECT_EQ(RunDumpXml(dir.Write("b.xml", "text"), out, err), 1);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(), "Invalid Document: Unexpected text in file prolog.\n");

  err.str("");
  EXPECT_EQ(RunDumpXml(dir.Write("nul.xml", std::string("<a/\0>", 5)), out, err), 1);
  EXPECT_EQ(err.str(), std::string("Invalid XML Element: Expected end of tag but \0 found.\n", 54));

  err.str("");
  EXPECT_EQ(RunDumpXml(dir.Path() + "/missing.xml", out, err), 1);
  EXPECT_EQ(err.str(), "Cannot open file \"" + dir.Path() + "/missing.xml\". No such file or directory\n");
}
