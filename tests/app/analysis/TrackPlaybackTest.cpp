// The RenderFile check's verdict per track: the framework's streams matched with the tracks
// of the file report, the reason for each track it never exposed, and the packages that
// would bring a missing decoder.
#include <gtest/gtest.h>

#include <tuple>

#include "app/analysis/TrackPlayback.h"
#include "dshow/GraphStreams.h"
#include "media/world/MediaWorld.h"

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

// A DirectShow graph after RenderFile: the splitter's first output goes through a decoder,
// the second straight to a renderer, the third found no filter.
TEST(TrackPlayback, DirectShowVerdictsComeFromTheGraphRenderFileBuilt) {
  media::TMediaWorldLoad load = media::LoadMediaWorldText(R"({
    "sources": [{"ext": "mkv", "filter": "src"}],
    "filters": [
      {"id": "src", "name": "Splitter", "categories": [], "mapper": false, "pins": [
        {"name": "V", "dir": "out", "types": ["Video/X"]}, {"name": "A", "dir": "out", "types": ["Audio/Y"]},
        {"name": "S", "dir": "out", "types": ["Text/Z"]}]},
      {"id": "dec", "name": "Decoder", "clsid": "{30000000-0000-0000-0000-000000000001}", "server": "C:\\f\\dec.ax",
       "pins": [{"name": "In", "dir": "in", "types": ["Video/X"]}, {"name": "Out", "dir": "out", "types": ["Video/R"]}]},
      {"id": "ren", "name": "Renderer", "clsid": "{30000000-0000-0000-0000-000000000002}",
       "pins": [{"name": "In", "dir": "in", "types": ["Audio/Y"]}]}]})");
  ASSERT_TRUE(load.Framework) << load.Error;
  media::IMediaFramework& fw = *load.Framework;
  media::ComPtr<media::IGraphBuilder> graph;
  ASSERT_EQ(media::CoCreateInstanceAs(fw, media::CLSID_FilterGraph, media::IID_IGraphBuilder, graph), 0);
  media::ComPtr<media::IBaseFilter> source;
  ASSERT_EQ(graph->AddSourceFilter(u"a.mkv", nullptr, source), 0);
  const auto pins = [](media::IBaseFilter* filter) {
    std::vector<media::ComPtr<media::IPin>> all;
    media::ComPtr<media::IEnumPins> e;
    media::ComPtr<media::IPin> pin;
    filter->EnumPins(e);
    while (e->Next(pin) == 0) all.push_back(pin);
    return all;
  };
  // RenderFile adds each filter under its name.
  for (const auto& [index, clsid, name] : {std::tuple{0, u"{30000000-0000-0000-0000-000000000001}", u"Decoder"},
                                           std::tuple{1, u"{30000000-0000-0000-0000-000000000002}", u"Renderer"}}) {
    media::ComPtr<media::IMoniker> moniker;
    ASSERT_EQ(fw.MkParseDisplayName(nullptr, u"@device:sw:{083863F1-70DE-11D0-BD40-00A0C911CE86}\\" + std::u16string(clsid), moniker), 0);
    media::ComPtr<media::IBaseFilter> filter;
    ASSERT_EQ(moniker->BindToObject(nullptr, filter), 0);
    ASSERT_EQ(graph->AddFilter(filter.Get(), name), 0);
    ASSERT_EQ(graph->ConnectDirect(pins(source.Get())[index].Get(), pins(filter.Get())[0].Get(), nullptr), 0);
  }
  TRenderFileCheck check;
  check.Streams = StreamsOfGraph(fw, *graph);
  TXmlCodecDB db;
  db.LoadFromString(kDb);
  const std::vector<TTrackFacts> tracks = {{1, 1, 1, "V_X", ""}, {2, 2, 2, "A_Y", ""}, {3, 3, 0x11, "A_FOO", ""},
                                           {4, 4, 0x11, "S_TEXT/UTF8", ""}};
  MatchTrackPlayback(check, tracks, db, [](const std::string& clsid) { return clsid == "{D}"; });
  const std::vector<std::string> lines = Lines(check);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "Track 1 (1) plays: plays with Decoder (C:\\f\\dec.ax)");
  EXPECT_EQ(lines[1], "Track 2 (2) plays: plays without a decoder");
  EXPECT_EQ(lines[2].rfind("Track 3 (3) no_decoder: no installed filter accepts {", 0), 0u) << lines[2];
  EXPECT_NE(lines[2].find("}; Foo decoder (Debian/Ubuntu package pkg-base); Foo Parser (Debian/Ubuntu package pkg-bad); "
                          "Other foo decoder"), std::string::npos) << lines[2];
  EXPECT_EQ(lines[3], "Track 4 (4) not_rendered: not rendered: the framework's Matroska demuxer does not expose it");
  EXPECT_EQ(check.Tracks[0].ElementName, "Decoder");

  // Streams whose media type tells their kind go to the next track of that kind.
  check.Streams.Streams = {{0, 0, TStreamFate::Plays, "", "", "", "", "", 2}, {0, 0, TStreamFate::Plays, "", "", "", "", "", 1}};
  MatchTrackPlayback(check, {{1, 1, 1, "V_X", ""}, {2, 2, 2, "A_Y", ""}, {3, 3, 2, "A_Y", ""}}, db,
                     [](const std::string&) { return true; });
  EXPECT_EQ(check.Tracks[0].Status, std::string("plays"));
  EXPECT_EQ(check.Tracks[1].Status, std::string("plays"));
  EXPECT_EQ(check.Tracks[2].Status, std::string("not_rendered"));
}

// How the verdicts name a media type nobody accepted.
TEST(TrackPlayback, MediaTypesAreNamedByTheirFourccOrFormatTag) {
  const auto named = [](media::GUID major, media::GUID sub) {
    media::AM_MEDIA_TYPE type;
    type.majortype = major;
    type.subtype = sub;
    return MediaTypeText(type);
  };
  const auto fourcc = [](uint32_t code) {
    return media::GUID{code, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
  };
  EXPECT_EQ(named(fourcc(0x73646976), fourcc(0x34363248)), "video FOURCC H264");
  EXPECT_EQ(named(fourcc(0x73647561), fourcc(0x2000)), "audio wFormatTag 0x2000");
  EXPECT_EQ(named(media::GUID{0xE487EB08, 0x6B26, 0x4BE9, {0x9D, 0xD3, 0x99, 0x34, 0x34, 0xD3, 0x13, 0xFD}}, media::GUID{1, 2, 3, {}}),
            "subtitle {00000001-0002-0003-0000-000000000000}");
}

}  // namespace
}  // namespace ambrel
