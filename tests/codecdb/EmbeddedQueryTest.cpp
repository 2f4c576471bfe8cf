// Answers of the embedded codec database.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "CodecDbTestUtil.h"

using namespace ambrel;

namespace {
using HitList = std::vector<std::pair<std::string, std::string>>;

class Embedded : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(db.LoadFromString(ambrel::resources::CodecsDB())); }
  TXmlCodecDB db;
};
}  // namespace

TEST_F(Embedded, MatchByCodecID) {
  EXPECT_EQ(Hits(db, "A_AAC/MPEG4/LC"), (HitList{{"5", "{6AC7C19E-8CA0-4E3D-9A9F-2881DE29E0AC}"}}));
  EXPECT_EQ(Hits(db, "V_MPEG4/ISO"), (HitList{{"1", "{64697678-0000-0010-8000-00AA00389B71}"},
                                              {"2", "{04FE9017-F873-410E-871E-AB91661A4EF7}"},
                                              {"9", "{78766964-0000-0010-8000-00AA00389B71}"}}));
  EXPECT_EQ(Hits(db, "A_TTA1"), (HitList{{"12", "{147D5962-3701-4F65-99B2-8D6C1DD50AE0}"}}));
  EXPECT_EQ(Hits(db, "v_mpeg4/iso"), HitList{});
  EXPECT_EQ(Hits(db, ""), HitList{});
}

TEST_F(Embedded, OneHitPerCodecEntryWithItsFirstMatchingFilter) {
  const HitList vobsub{{"8", "{93A22E7A-5091-45EF-BA61-6DA26156A5D0}"}};
  EXPECT_EQ(Hits(db, "S_TEXT/UTF8"), vobsub);
  EXPECT_EQ(Hits(db, "S_VOBSUB"), vobsub);
}

TEST_F(Embedded, VideoForWindowsTracksMatchByFourccAlone) {
  EXPECT_EQ(Hits(db, "V_MS/VFW/FOURCC", "DIVX"), (HitList{{"2", "{04FE9017-F873-410E-871E-AB91661A4EF7}"},
                                                          {"9", "{78766964-0000-0010-8000-00AA00389B71}"}}));
  EXPECT_EQ(Hits(db, "V_MS/VFW/FOURCC", "XVID"), (HitList{{"1", "{64697678-0000-0010-8000-00AA00389B71}"},
                                                          {"2", "{04FE9017-F873-410E-871E-AB91661A4EF7}"}}));
  EXPECT_EQ(Hits(db, "V_MS/VFW/FOURCC", "DX50").size(), 2u);
  EXPECT_EQ(Hits(db, "V_MS/VFW/FOURCC", "xvid"), HitList{});
  EXPECT_EQ(Hits(db, "V_MS/VFW/FOURCC", ""), HitList{});
  EXPECT_EQ(Hits(db, "A_AC3", "XVID").size(), 1u);  // the FOURCC plays no part here
}

TEST_F(Embedded, FieldsTheReportShows) {
  TCodecFilterMatch match;
  db.FindFirstFilter("A_MPEG/L3", "", match);
  ASSERT_TRUE(match.Found);
  EXPECT_EQ(GetChildValue(match.Codec, "name"), "MP3 Fraunhofer Filter");
  EXPECT_EQ(GetChildValue(match.Codec, "installcomments"), "Already installed with Windows.");
  EXPECT_EQ(GetChildValue(match.Codec, "url"), "");
  EXPECT_EQ(GetChildValue(nullptr, "name"), "");

  db.FindFirstFilter("A_REAL/COOK", "", match);
  ASSERT_TRUE(match.Found);
  EXPECT_EQ(GetChildValue(match.Codec, "name"), "RealMedia Splitter/Decoder");
  EXPECT_EQ(GetChildValue(match.Codec, "installcomments"),
            "You also need to install RealPlayer One or RealAlternative.");
  EXPECT_EQ(GetChildValue(match.Codec, "url").rfind("http://", 0), 0u);
}

TEST_F(Embedded, QueryStateAfterTheLastHitAndOnRestart) {
  TCodecFilterMatch match;
  db.FindFirstFilter("V_MPEG4/ISO", "", match);
  db.FindNextFilter(match);
  ASSERT_TRUE(match.Found);
  EXPECT_EQ(GetChildValue(match.Codec, "name"), "ffdshow");
  db.FindFirstFilter("V_MPEG4/ISO", "", match);  // starts over
  EXPECT_EQ(GetChildValue(match.Codec, "name"), "Xvid");
  db.FindNextFilter(match);
  db.FindNextFilter(match);
  db.FindNextFilter(match);
  EXPECT_FALSE(match.Found);
  db.FindNextFilter(match);
  EXPECT_FALSE(match.Found);
}

TEST_F(Embedded, HasTheListedContent) {
  TSimpleXml& xml = db.Document();
  ASSERT_EQ(xml.Prolog().Count(), 1);
  EXPECT_EQ(xml.Root().Properties().PropertyValue("major-version", ""), "1");
  EXPECT_EQ(xml.Root().Properties().PropertyValue("minor-version", ""), "0");
  TSimpleXmlElem* codecs = xml.Root().Items().FindItem("codecs");
  ASSERT_EQ(codecs->Items().Count(), 12);
  int filters = 0;
  for (int i = 0; i < 12; ++i) {
    TSimpleXmlElem* codec = codecs->Items().Item(i);
    EXPECT_EQ(codec->Properties().PropertyValue("id", ""), std::to_string(i + 1));
    filters += codec->Items().FindItem("filters")->Items().Count();
    for (const char* field : {"url", "downloadurl", "directdownloadurl"}) {
      const std::string url = GetChildValue(codec, field);
      EXPECT_TRUE(url.empty() || url.rfind("http://", 0) == 0) << url;
    }
  }
  EXPECT_EQ(filters, 17);
  TSimpleXmlElem* vorbis = codecs->Items().Item(6)->Items().FindItem("filters")->Items().Item(0);
  EXPECT_EQ(vorbis->Items().FindItem("mediatypes")->Items().Item(0)->Properties().PropertyValue("subtype", ""),
            "{8D2FD10B-5841-4a6b-8905-588FEC1ADED9}");
  const std::string_view bytes = ambrel::resources::CodecsDB();
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n') {
      ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at " << i;
    }
  }
  EXPECT_NE(bytes.find("\r\n\t\t<codec id=\"1\">\r\n"), std::string_view::npos);
}

TEST_F(Embedded, WrittenFormReparsesToTheSameTree) {
  std::ostringstream first;
  db.Document().SaveToStream(first);
  TSimpleXml again;
  again.LoadFromString(first.str());
  std::ostringstream second;
  again.SaveToStream(second);
  EXPECT_EQ(second.str(), first.str());
  EXPECT_EQ(first.str().rfind("<?xml version=\"1.0\"?>\r\n<codecdb major-version=\"1\" minor-version=\"0\">\r\n", 0),
            0u);
}

TEST(EmbeddedGst, ProposesDecodersByCodecIdFourccAndFormatTag) {
  const TXmlCodecDB& db = EmbeddedGstCodecDB();
  const auto filters = [&db](const std::string& codecID, const std::string& second) {
    std::vector<std::string> names;
    TCodecFilterMatch match;
    for (db.FindFirstFilter(codecID, second, match); match.Found; db.FindNextFilter(match)) {
      names.push_back(GetChildValue(match.Filter, "name"));
    }
    return names;
  };
  using Names = std::vector<std::string>;
  EXPECT_EQ(filters("A_MS/ACM", "0x0031"), (Names{"GSM audio decoder", "libav GSM Microsoft variant decoder"}));
  EXPECT_EQ(filters("V_MS/VFW/FOURCC", "MPNG"),
            (Names{"PNG image decoder", "libav PNG (Portable Network Graphics) image decoder"}));
  // Parsers decode nothing: none is proposed, where the codec has parsers and decoders.
  for (const char* codecID : {"A_AAC", "A_AC3", "A_DTS", "A_MPEG/L3", "A_FLAC", "V_MPEG4/ISO/ASP", "V_MPEG4/ISO/AVC"}) {
    const Names names = filters(codecID, "");
    EXPECT_FALSE(names.empty()) << codecID;
    for (std::string name : names) {
      std::transform(name.begin(), name.end(), name.begin(), AsciiLowerChar);
      EXPECT_EQ(name.find("parse"), std::string::npos) << codecID << ": " << name;
    }
  }
}

TEST(Helpers, NextSiblingAndFilterLists) {
  TXmlCodecDB db;
  db.LoadFromString("<codecdb><f><fourccs><a>X</a><b>Y </b></fourccs><MatroskaIDs><x>A</x></MatroskaIDs></f></codecdb>");
  TSimpleXmlElem* filter = db.Document().Root().Items().Item(0);
  EXPECT_TRUE(FilterHasFourcc(filter, "X"));
  EXPECT_TRUE(FilterHasFourcc(filter, "Y "));
  EXPECT_FALSE(FilterHasFourcc(filter, "Y"));
  EXPECT_TRUE(FilterHasMatroskaId(filter, "A"));
  EXPECT_FALSE(FilterHasMatroskaId(nullptr, "A"));
  TSimpleXmlElem* fourccs = filter->Items().Item(0);
  EXPECT_EQ(NextSibling(fourccs), filter->Items().Item(1));
  EXPECT_EQ(NextSibling(filter->Items().Item(1)), nullptr);
  EXPECT_EQ(NextSibling(&db.Document().Root()), nullptr);
  EXPECT_EQ(NextSibling(nullptr), nullptr);
}
