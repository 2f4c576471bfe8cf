// The RenderFile check's verdict per track: the framework's streams matched with the tracks
// of the file report, the reason for each track it never exposed, and the packages that
// would bring a missing decoder.
#include <gtest/gtest.h>

#include "app/analysis/TrackPlayback.h"

namespace ambrel {
namespace {

using media::TStreamFate;

// Four packages know an element for A_FOO: a decoder, a parser only, a decoder whose package
// the comments do not name, and a decoder that is installed.
constexpr const char* kDb = R"(<?xml version="1.0"?><codecdb><codecs>
<codec id="1"><name>Base</name><installcomments>Debian/Ubuntu package pkg-base</installcomments><filters>
  <filter guid="{A}"><name>Foo decoder</name><matroskaids><matroskaid>A_FOO</matroskaid></matroskaids></filter></filters></codec>
<codec id="2"><name>Bad</name><installcomments>Debian/Ubuntu package pkg-bad</installcomments><filters>
  <filter guid="{B}"><name>Foo Parser</name><matroskaids><matroskaid>A_FOO</matroskaid></matroskaids></filter></filters></codec>
<codec id="3"><name>Other Plugins</name><filters>
  <filter guid="{C}"><name>Other foo decoder</name><matroskaids><matroskaid>A_FOO</matroskaid></matroskaids></filter></filters></codec>
<codec id="4"><name>Here</name><installcomments>Debian/Ubuntu package pkg-here</installcomments><filters>
  <filter guid="{D}"><name>Here foo decoder</name><matroskaids><matroskaid>A_FOO</matroskaid></matroskaids></filter></filters></codec>
</codecs></codecdb>)";

// A file of twelve tracks and what the framework said of the seven it exposed.
TRenderFileCheck Matched(bool Told, bool Complete) {
  TXmlCodecDB db;
  db.LoadFromString(kDb);
  TRenderFileCheck check;
  check.Streams.Told = Told;
  check.Streams.Complete = Complete;
  check.Streams.Streams = {
      {5, 50, TStreamFate::NoDecoder, "", "", "", "Foo", "Foo decoder"},
      {9, 90, TStreamFate::Plays, "bardec", "Bar decoder", "pkg-bar", "", ""},
      {4, 4, TStreamFate::Plays, "", "", "", "", ""},
      {10, 999, TStreamFate::Plays, "", "", "", "", ""},  // the uid the demuxer read differs
      {12, 12, TStreamFate::NotRendered, "", "", "", "subtitles are drawn by the player", ""},
      {13, 13, TStreamFate::NoDecoder, "", "", "", "Qux", "Qux decoder"},
      {77, 77, TStreamFate::Plays, "", "", "", "", ""},  // a track the file report does not list
  };
  check.Streams.Missing = {"Foo decoder", "Qux decoder", "Lost decoder"};
  const std::vector<TTrackFacts> tracks = {
      {5, 50, 2, "A_FOO", ""}, {9, 90, 1, "V_BAR", ""},  {0, 1, 0x11, "S_TEXT/UTF8", ""}, {3, 2, 0x11, "", ""},
      {4, 3, 2, "A_X", ""},    {4, 4, 2, "A_X", ""},     {8, 8, 0x20, "X", ""},           {10, 10, 2, "A_Y", ""},
      {11, 11, 2, "A_Z", ""},  {12, 12, 0x11, "S_X", ""}, {13, 13, 2, "A_QUX", ""},
      {14, 14, 0x11, "S_TEXT/WEBVTT", ""}};
  MatchTrackPlayback(check, tracks, db, [](const std::string& clsid) { return clsid == "{D}"; });
  return check;
}

std::vector<std::string> Lines(const TRenderFileCheck& check) {
  std::vector<std::string> lines;
  for (const TTrackPlayback& t : check.Tracks)
    lines.push_back("Track " + std::to_string(t.Number) + " (" + std::to_string(t.TrackNumber) + ") " + t.Status + ": " + t.Text);
  for (const std::string& missing : check.MissingDecoders) lines.push_back("Missing decoder : " + missing);
  return lines;
}

TEST(TrackPlayback, EveryTrackOfTheReportGetsAVerdictUnderItsReportNumber) {
  const std::string unexposed = "not_rendered: not rendered: the framework's Matroska demuxer does not expose it";
  const TRenderFileCheck check = Matched(true, true);
  EXPECT_EQ(Lines(check), (std::vector<std::string>{
                              "Track 1 (5) no_decoder: no installed decoder for Foo; pkg-base provides Foo decoder; "
                              "Other Plugins provides Other foo decoder",
                              "Track 2 (9) plays: plays with Bar decoder (bardec, pkg-bar)",
                              "Track 3 (0) " + unexposed + " (its track number is 0)",
                              "Track 4 (3) " + unexposed + " (it has no codec ID)",
                              "Track 5 (4) " + unexposed + " (another track has the same number)",
                              "Track 6 (4) plays: plays without a decoder",
                              "Track 7 (8) " + unexposed + " (a Control track)",
                              "Track 8 (10) plays: plays without a decoder",
                              "Track 9 (11) " + unexposed,
                              "Track 10 (12) not_rendered: not rendered: subtitles are drawn by the player",
                              "Track 11 (13) no_decoder: no installed decoder for Qux",
                              "Track 12 (14) " + unexposed,  // subtitles are a type the demuxer takes
                              "Missing decoder : Foo decoder (track 1)",
                              "Missing decoder : Qux decoder (track 11)",
                              "Missing decoder : Lost decoder",
                          }));
  // The first package that would bring a decoder, as data.
  EXPECT_EQ(check.Tracks[0].Package, "pkg-base");
  EXPECT_EQ(check.Tracks[0].ElementName, "Foo decoder");
  EXPECT_EQ(check.Tracks[0].Element, "");
}

TEST(TrackPlayback, AGraphThatStoppedOrAFrameworkThatTellsNothing) {
  const TRenderFileCheck stopped = Matched(true, false);
  ASSERT_EQ(stopped.Tracks.size(), 12u);
  EXPECT_EQ(stopped.Tracks[2].Text, "not rendered: the framework's graph stopped before its demuxer exposed it");
  const TRenderFileCheck silent = Matched(false, false);
  EXPECT_TRUE(silent.Tracks.empty());
  EXPECT_TRUE(silent.MissingDecoders.empty());
}

}  // namespace
}  // namespace ambrel
