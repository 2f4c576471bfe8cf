// The proposed filters of a track block: one group per codec package, with the installed
// state the media framework gives for the proposed filter.
#include <gtest/gtest.h>

#include "app/analysis/CodecCandidates.h"
#include "app/analysis/FriendlyNames.h"
#include "codecdb/XmlCodecDB.h"
#include "dshow/FrameworkSections.h"
#include "media/world/MediaWorld.h"

namespace ambrel {
namespace {

struct Fixture {
  TFriendlyNames names;
  TXmlCodecDB db;
  std::unique_ptr<IFrameworkSections> fw;

  Fixture() {
    LoadCodecDB(db, "/nonexistent/", nullptr);
    // DirectVobSub installed with a version; the MP3 decoder registered but its file gone.
    const media::TMediaWorldLoad world = media::LoadMediaWorldText(R"({"filters": [
      {"id": "vobsub", "clsid": "{93A22E7A-5091-45EF-BA61-6DA26156A5D0}", "server": "/usr/lib/vsfilter<x>.ax",
       "version": "2.39.5.0"},
      {"id": "mp3", "clsid": "{38BE3000-DBF4-11D0-860E-00A024CFEF6D}", "server": "l3codecx.ax", "server_exists": false}
    ]})");
    fw = std::make_unique<TLocalFrameworkSections>(world.MakeAnother);
  }

  std::string Text(const std::string& codecId, const std::string& fourcc = "", bool withFramework = true) {
    TMatroskaTrackEntry track;
    track.CodecID = codecId;
    track.Fourcc = fourcc;
    TTxtWriter text;
    text.BeginList();
    WriteCodecCandidates(track, text, TAnalysisContext{names, db, withFramework ? fw.get() : nullptr});
    text.EndList();
    return text.GetText();
  }
};

TEST(CodecCandidates, OneGroupPerPackageWithItsDetails) {
  Fixture f;
  EXPECT_EQ(f.Text("S_TEXT/UTF8"),
            "     - Possible filter : VSFilter/DVobSub\r\n"
            "       - Installed : yes, in /usr/lib/vsfilter<x>.ax (2.39.5.0)\r\n"
            "       - Link : http://vobsub.edensrising.com/\r\n");
  EXPECT_EQ(f.Text("A_MPEG/L3"),
            "     - Possible filter : MP3 Fraunhofer Filter\r\n"
            "       - Installed : no\r\n"
            "       - Install comments : Already installed with Windows.\r\n");
  const std::string mpeg4 = f.Text("V_MPEG4/ISO");
  const size_t xvid = mpeg4.find("Possible filter : Xvid");
  const size_t ffdshow = mpeg4.find("Possible filter : ffdshow");
  const size_t divx = mpeg4.find("Possible filter : Divx");
  ASSERT_NE(divx, std::string::npos);
  EXPECT_LT(xvid, ffdshow);
  EXPECT_LT(ffdshow, divx);
}

TEST(CodecCandidates, WrappedVideoTracksAreMatchedByTheirFourcc) {
  Fixture f;
  const std::string dx50 = f.Text("V_MS/VFW/FOURCC", "DX50");
  EXPECT_NE(dx50.find("Possible filter : ffdshow"), std::string::npos);
  EXPECT_NE(dx50.find("Possible filter : Divx"), std::string::npos);
  EXPECT_EQ(f.Text("V_MS/VFW/FOURCC", "xvid"), "");
  EXPECT_EQ(f.Text("V_UNKNOWN"), "");
}

TEST(CodecCandidates, AudioCompressionManagerTracksAreProposedByTheirFormatTag) {
  TFriendlyNames names;
  const TAnalysisContext context{names, EmbeddedGstCodecDB(), nullptr};
  const auto packages = [&context](uint32_t tag) {
    TMatroskaTrackEntry track;
    track.TrackType = 2;  // audio
    track.CodecID = "A_MS/ACM";
    track.FormatTag = tag;
    track.HasFormatTag = true;
    std::vector<std::string> out;
    for (const TCodecCandidate& c : FindCodecCandidates(track, context)) out.push_back(c.Name);
    return out;
  };
  using Names = std::vector<std::string>;
  EXPECT_EQ(packages(0x0031), (Names{"GStreamer Bad Plugins", "GStreamer libav Plugin"}));  // GSM 6.10: gsmdec
  EXPECT_EQ(packages(0x0006), Names{"GStreamer Good Plugins"});  // A-law: alawdec
}

TEST(CodecCandidates, WithoutAFrameworkNothingIsInstalled) {
  Fixture f;
  EXPECT_NE(f.Text("S_TEXT/UTF8", "", false).find("Installed : no\r\n"), std::string::npos);
}

TEST(CodecCandidates, ServerPathsAndDatabaseTextsAreEscapedInHtml) {
  Fixture f;
  TMatroskaTrackEntry track;
  track.CodecID = "S_TEXT/UTF8";
  THTMLWriter html;
  WriteCodecCandidates(track, html, TAnalysisContext{f.names, f.db, f.fw.get()});
  EXPECT_NE(html.GetText().find("vsfilter&lt;x&gt;.ax (2.39.5.0)"), std::string::npos);

  // A database's markup is text, and a link only ever an "http://" address.
  const auto entry = [](const std::string& name, const std::string& comments, const std::string& url) {
    return "<codec><name>" + name + "</name><installcomments>" + comments + "</installcomments><url>" + url +
           "</url><filters><filter><matroskaids><matroskaid>A_X</matroskaid></matroskaids></filter></filters></codec>";
  };
  ASSERT_TRUE(f.db.LoadFromString(
      "<codecdb><codecs>" +
      entry("&lt;script&gt;alert(1)&lt;/script&gt;", "&lt;img src=x onerror=alert(2)&gt;", "javascript:alert(3)") +
      entry("B", "", "&lt;a href='javascript:alert(4)'&gt;http://b.example/&lt;/a&gt;") +
      "</codecs></codecdb>"));
  track.CodecID = "A_X";
  THTMLWriter page;
  TTxtWriter text;
  for (TLogWriter* w : std::initializer_list<TLogWriter*>{&page, &text}) {
    WriteCodecCandidates(track, *w, TAnalysisContext{f.names, f.db, nullptr});
  }
  EXPECT_EQ(page.GetText(),
            "<ul>\r\n<li><b>Possible filter</b> : &lt;script&gt;alert(1)&lt;/script&gt;</li>\r\n<ul>\r\n"
            "<li><b>Installed</b> : no</li>\r\n"
            "<li><b>Install comments</b> : &lt;img src=x onerror=alert(2)&gt;</li>\r\n"
            "<li><b>Link</b> : javascript:alert(3)</li>\r\n</ul>\r\n</ul>\r\n"
            "<ul>\r\n<li><b>Possible filter</b> : B</li>\r\n<ul>\r\n<li><b>Installed</b> : no</li>\r\n"
            "<li><b>Link</b> : &lt;a href='javascript:alert(4)'&gt;<a "
            "href=\"http://b.example/&lt;/a&gt;\">http://b.example/&lt;/a&gt;</a></li>\r\n</ul>\r\n</ul>\r\n");
  // The text report keeps the database's bytes.
  EXPECT_NE(text.GetText().find("Possible filter : <script>alert(1)</script>\r\n"), std::string::npos);
  EXPECT_NE(text.GetText().find("Link : <a href='javascript:alert(4)'>http://b.example/</a>\r\n"), std::string::npos);
}

TEST(CodecCandidates, ARememberedLookupGivesWhatAFreshOneGives) {
  // One cache across a report: repeated codecs, FourCC-only differences, and more distinct
  // codecs than it remembers must each give exactly the uncached answer.
  Fixture f;
  const TAnalysisContext context{f.names, f.db, f.fw.get()};
  TCodecCandidateCache cache;
  std::vector<std::pair<std::string, std::string>> keys = {
      {"S_TEXT/UTF8", ""}, {"V_MPEG4/ISO", ""}, {"V_MS/VFW/FOURCC", "XVID"}, {"V_MS/VFW/FOURCC", "DIVX"},
      {"A_MPEG/L3", ""},   {"S_TEXT/UTF8", ""}, {"V_MS/VFW/FOURCC", "XVID"}};
  for (size_t i = 0; i < TCodecCandidateCache::kMaxKeys + 8; ++i) keys.push_back({"X_UNKNOWN/" + std::to_string(i), ""});
  keys.push_back({"V_MPEG4/ISO", ""});
  keys.push_back({"A_AC3", ""});  // first seen after the cache is full
  keys.push_back({"A_AC3", ""});
  for (const auto& [codecId, fourcc] : keys) {
    TMatroskaTrackEntry track;
    track.CodecID = codecId;
    track.Fourcc = fourcc;
    TTxtWriter cached, fresh;
    WriteCodecCandidates(track, cached, context, &cache);
    WriteCodecCandidates(track, fresh, context);
    EXPECT_EQ(cached.GetText(), fresh.GetText()) << codecId << " " << fourcc;
    // Known codecs have proposals: two empty answers would agree without saying anything.
    EXPECT_EQ(fresh.GetText().empty(), codecId.starts_with("X_UNKNOWN/")) << codecId << " " << fourcc;
  }
}

}  // namespace
}  // namespace ambrel
