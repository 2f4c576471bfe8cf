// The detailed rendering engine over small worlds: what it narrates, what it builds, and
// that its work stays bounded.
#include <gtest/gtest.h>

#include "dshow/DShowMyRender.h"
#include "tests/dshow/WorldRun.h"

namespace ambrel {
namespace {

using testing::Joined;
using testing::kChain;
using testing::Render;
using testing::World;

// A narrative line as the text report shows it (markup stripped, outside text unwrapped).
std::string PlainLine(const std::string& Line) {
  TTxtWriter text;
  text.WriteRaw(Line);
  return text.GetText();
}

TEST(Engine, NarratesAWholeChainFromSourceToRenderer) {
  auto fw = World(kChain);
  const auto out = Render(*fw, "a.mkv");
  EXPECT_EQ(Joined(out.Lines),
            "10> MyRenderFile : a.mkv\n"
            "20> Creation of GraphBuilder : OK\n"
            "30> Creation of FilterMapper2 : OK\n"
            "40> Adding graph to ROT : OK\n"
            "50> Creation of source filter : OK\n"
            "60> # Rendering output pin a.mkv(Out)\n"
            "70> Filters matching mediatype : Decoder\n"
            "80> Trying connection to Decoder :\n"
            "90> OK, connected to (In)Decoder\n"
            "100> # Rendering output pin a.mkv(Out) -> Decoder(Out)\n"
            "110> Filters matching mediatype : Renderer\n"
            "120> Trying connection to Renderer :\n"
            "130> OK, connected to (Input)Renderer\n"
            "140> Completed path : a.mkv(Out) -> Decoder(Out) -> Renderer\n"
            "150> MyRenderFile finished : OK\n");
  // Colours: the filter, both pin directions, success in green, the filter's graph name
  // wrapped once more by its description.
  EXPECT_NE(out.Html.find("<b># Rendering output pin </b><font color=\"#0067AB\">a.mkv</font>(<font "
                          "color=\"#EA7500\">Out</font>)"),
            std::string::npos);
  EXPECT_NE(out.Html.find("<font color=\"#008800\">OK, connected to (<font color=\"#CC00AA\">In</font>)<font "
                          "color=\"#0067AB\"><font color=\"#0067AB\">Decoder</font></font></font>"),
            std::string::npos);
  EXPECT_NE(out.Html.find("<font color=\"#008800\">MyRenderFile finished : OK</font>"), std::string::npos);
}

TEST(Engine, AnUnknownFileEndsAfterTheSourceWithoutAFinalLine) {
  auto fw = World(kChain);
  const auto out = Render(*fw, "a.avi");
  ASSERT_EQ(out.Lines.size(), 5u);
  EXPECT_EQ(out.Lines[4], "50> Creation of source filter : The media type of this file is not recognized. (0x80040240)");
  EXPECT_NE(out.Html.find("<font color=\"#DD0000\">Creation of source filter"), std::string::npos);
}

TEST(Engine, EarlyFailuresEndTheRunAtTheirStep) {
  struct Case {
    const char* fail;
    size_t lines;
    const char* last;
  };
  for (const Case& c : {Case{"graph", 2, "20> Creation of GraphBuilder : Unspecified error (0x80004005)"},
                        Case{"mapper", 3, "30> Creation of FilterMapper2 : Unspecified error (0x80004005)"},
                        Case{"rot", 4, "40> Adding graph to ROT : Unspecified error (0x80004005)"},
                        Case{"item_moniker", 4, "40> Adding graph to ROT : Unspecified error (0x80004005)"},
                        Case{"rot_register", 4, "40> Adding graph to ROT : Unspecified error (0x80004005)"}}) {
    std::string json = kChain;
    json.insert(1, std::string("\"fail\": {\"") + c.fail + "\": \"E_FAIL\"},");
    auto fw = World(json);
    const auto out = Render(*fw, "a.mkv");
    ASSERT_EQ(out.Lines.size(), c.lines) << c.fail;
    EXPECT_EQ(out.Lines.back(), c.last) << c.fail;
  }
}

TEST(Engine, SuccessCodesAreShownInGreenWithTheirText) {
  std::string json = kChain;
  json.insert(1, R"("fail": {"graph": "S_FALSE"},)");
  auto fw = World(json);
  const auto out = Render(*fw, "a.mkv");
  EXPECT_EQ(out.Lines[1], "20> Creation of GraphBuilder : Incorrect function. (0x00000001)");
  EXPECT_NE(out.Html.find("<font color=\"#008800\">Creation of GraphBuilder : Incorrect function."), std::string::npos);
  EXPECT_EQ(out.Lines.back(), "150> MyRenderFile finished : OK");
}

TEST(Engine, ASecondGraphUnderTheSameNameIsRegisteredWithAWarningCode) {
  auto fw = World(kChain);
  TDShowMyRender first(*fw);
  first.MyRenderFile("a.mkv");
  std::vector<std::string> lines;
  TDShowMyRender second(*fw);
  second.FOnStep = [&](const TRenderStep& s) { lines.push_back(PlainLine(RenderStepLine(s))); };
  second.MyRenderFile("a.mkv");
  ASSERT_GE(lines.size(), 4u);
  EXPECT_NE(lines[3].find("Adding graph to ROT : Moniker is already registered in running object table (0x000401E7)"),
            std::string::npos);
}

TEST(Engine, ASourceWithoutOutputPinsRendersNothing) {
  auto fw = World(R"({"sources": [{"filter": "src"}],
    "filters": [{"id": "src", "name": "S", "pins": [{"name": "In", "dir": "in", "types": ["A/B"]}]}]})");
  const auto out = Render(*fw, "x.mkv");
  EXPECT_EQ(Joined(out.Lines).find("# Rendering output pin"), std::string::npos);
  EXPECT_EQ(out.Lines.back(),
            "6> MyRenderFile finished : No combination of filters could be found to render the stream. (0x80040218)");
  EXPECT_NE(out.Html.find("<font color=\"#DD0000\">MyRenderFile finished"), std::string::npos);
}

TEST(Engine, AnUnmatchedPinLeavesItsTransformToBeRemovedAndTheRunFails) {
  // The decoder's output type has no renderer: the decoder is backed out and the source
  // output stays free.
  auto fw = World(R"({"sources": [{"filter": "src"}],
    "filters": [
      {"id": "src", "name": "S", "categories": [], "mapper": false, "pins": [{"name": "O", "dir": "out", "types": ["V/X"]}]},
      {"id": "dec", "name": "D", "pins": [{"name": "I", "dir": "in", "types": ["V/X"]}, {"name": "O", "dir": "out", "types": ["V/Z"]}]}
    ]})");
  const auto out = Render(*fw, "f.mkv");
  const std::string all = Joined(out.Lines);
  EXPECT_NE(all.find("> Filters matching mediatype : \n"), std::string::npos);
  EXPECT_NE(all.find("> Backtracking, no output pin rendered for D, removing it now.\n"), std::string::npos);
  EXPECT_EQ(out.Lines.back().substr(out.Lines.back().find('>')),
            "> MyRenderFile finished : No combination of filters could be found to render the stream. (0x80040218)");
}

TEST(Engine, BelowTheMinimumMeritNothingIsTried) {
  auto fw = World(R"({"sources": [{"filter": "src"}],
    "filters": [
      {"id": "src", "name": "S", "categories": [], "mapper": false, "pins": [{"name": "O", "dir": "out", "types": ["V/X"]}]},
      {"id": "low", "name": "Low", "merit": "0x5FFFFF", "pins": [{"name": "I", "dir": "in", "types": ["V/X"]}]}
    ]})");
  const std::string all = Joined(Render(*fw, "f.mkv").Lines);
  EXPECT_NE(all.find("Filters matching mediatype : \n"), std::string::npos);
  EXPECT_EQ(all.find("Trying connection to"), std::string::npos);
}

TEST(Engine, SomeOutputsLeftFreeGiveAPartialRenderInRed) {
  auto fw = World(R"({"sources": [{"filter": "src"}],
    "filters": [
      {"id": "src", "name": "S", "categories": [], "mapper": false,
       "pins": [{"name": "V", "dir": "out", "types": ["V/X"]}, {"name": "T", "dir": "out", "types": ["T/X"]}]},
      {"id": "ren", "name": "R", "pins": [{"name": "I", "dir": "in", "types": ["V/X"]}]}
    ]})");
  const auto out = Render(*fw, "f.mkv");
  const std::string& last = out.Lines.back();
  EXPECT_EQ(last.substr(last.find('>')),
            "> MyRenderFile finished : Some of the streams in this movie are in an unsupported format. (0x00040242)");
  EXPECT_NE(out.Html.find("<font color=\"#DD0000\">MyRenderFile finished : Some of the streams"), std::string::npos);
}

TEST(Engine, FiltersAlreadyInTheGraphAreTriedFirst) {
  // Both source outputs go to the one mixer: the second reaches it without the mapper.
  auto fw = World(R"({"sources": [{"filter": "src"}],
    "filters": [
      {"id": "src", "name": "S", "categories": [], "mapper": false,
       "pins": [{"name": "A", "dir": "out", "types": ["V/X"]}, {"name": "B", "dir": "out", "types": ["V/X"]}]},
      {"id": "mix", "name": "Mixer",
       "pins": [{"name": "I1", "dir": "in", "types": ["V/X"]}, {"name": "I2", "dir": "in", "types": ["V/X"]}]}
    ]})");
  const auto out = Render(*fw, "f.mkv");
  const std::string all = Joined(out.Lines);
  EXPECT_NE(all.find("# Rendering output pin f.mkv(B)\n"), std::string::npos);
  EXPECT_NE(all.find("OK, connected to (I2)Mixer\n"), std::string::npos);
  EXPECT_EQ(all.find("Trying connection to Mixer"), all.rfind("Trying connection to Mixer"));
  EXPECT_EQ(out.Lines.back().substr(out.Lines.back().find('>')), "> MyRenderFile finished : OK");
}

TEST(Engine, AFilterClassOccursOnlyOnceOnAPath) {
  // "loop" accepts its own output. With its class id registered it is passed over
  // silently; without one it is created first and then refused.
  const std::string entry = R"({"id": "loop", "name": "Loop", %s
       "pins": [{"name": "I", "dir": "in", "types": ["V/X"]}, {"name": "O", "dir": "out", "types": ["V/X"]}]})";
  const auto world = [&](const std::string& clsid) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, entry.c_str(), clsid.c_str());
    return World(std::string(R"({"sources": [{"filter": "src"}], "filters": [
      {"id": "src", "name": "S", "categories": [], "mapper": false, "pins": [{"name": "O", "dir": "out", "types": ["V/X"]}]},)") +
                 buffer + "]}");
  };
  auto registered = world(R"("clsid": "{30000000-0000-0000-0000-0000000000AA}",)");
  std::string all = Joined(Render(*registered, "f.mkv").Lines);
  EXPECT_EQ(all.find("Trying connection to Loop"), all.rfind("Trying connection to Loop"));
  EXPECT_EQ(all.find("already downstream"), std::string::npos);
  auto unregistered = world("");
  all = Joined(Render(*unregistered, "f.mkv").Lines);
  EXPECT_NE(all.find("> Filter is already downstream, skipping.\n"), std::string::npos);
  EXPECT_NE(all.find("> Backtracking, no output pin rendered for Loop, removing it now.\n"), std::string::npos);
}

TEST(Engine, ATransformThatAcceptsItsOwnOutputStopsAtSixteenFilters) {
  // Its class cannot be read, so nothing tells the engine it is already on the path.
  auto fw = World(R"({"sources": [{"filter": "src"}], "filters": [
      {"id": "src", "name": "S", "categories": [], "mapper": false, "pins": [{"name": "O", "dir": "out", "types": ["V/X"]}]},
      {"id": "loop", "name": "Loop", "class_fails": true,
       "pins": [{"name": "I", "dir": "in", "types": ["V/X"]}, {"name": "O", "dir": "out", "types": ["V/X"]}]}]})");
  const std::string all = Joined(Render(*fw, "f.mkv").Lines);
  size_t tries = 0;
  for (size_t at = all.find("Trying connection to Loop"); at != std::string::npos;
       at = all.find("Trying connection to Loop", at + 1)) {
    ++tries;
  }
  EXPECT_EQ(tries, 15u);
  EXPECT_NE(all.find("> Path too long (16 filters), no further filter tried.\n"), std::string::npos);
  EXPECT_NE(all.find("MyRenderFile finished : No combination of filters"), std::string::npos);
}

TEST(Engine, MutuallyAcceptableTransformsStopAfterTwoHundredTries) {
  std::string filters;
  for (int i = 0; i < 8; ++i) {
    filters += R"(, {"id": "t)" + std::to_string(i) + R"(", "name": "T)" + std::to_string(i) +
               R"(", "pins": [{"name": "I", "dir": "in", "types": ["V/X"]}, {"name": "O", "dir": "out", "types": ["V/X"]}]})";
  }
  auto fw = World(R"({"sources": [{"filter": "src"}], "filters": [
      {"id": "src", "name": "S", "categories": [], "mapper": false, "pins": [{"name": "O", "dir": "out", "types": ["V/X"]}]})" +
                  filters + "]}");
  const auto out = Render(*fw, "f.mkv");
  const std::string all = Joined(out.Lines);
  size_t tries = 0;
  for (size_t at = all.find("> Trying connection to"); at != std::string::npos; at = all.find("> Trying connection to", at + 1)) {
    ++tries;
  }
  EXPECT_EQ(tries, 200u);
  const std::string limit = "> Too many connection attempts (200), no further filter tried.\n";
  EXPECT_NE(all.find(limit), std::string::npos);
  EXPECT_EQ(all.find(limit), all.rfind(limit));
  EXPECT_NE(all.find("MyRenderFile finished : No combination"), std::string::npos);
  // With a stream rendered before the budget ran out, the run says the budget, not the
  // format, left the others unrendered.
  auto partial = World(R"({"sources": [{"filter": "src"}], "filters": [
      {"id": "src", "name": "S", "categories": [], "mapper": false, "pins": [{"name": "A", "dir": "out", "types": ["A/X"]},
       {"name": "O", "dir": "out", "types": ["V/X"]}]},
      {"id": "sink", "name": "Sink", "pins": [{"name": "I", "dir": "in", "types": ["A/X"]}]})" + filters + "]}");
  EXPECT_NE(Joined(Render(*partial, "f.mkv").Lines)
                .find("MyRenderFile finished : Not every stream was tried: the budget of 200 connection attempts ran "
                      "out. (0x00040242)"),
            std::string::npos);
}

TEST(Engine, CandidateFailuresAreNamedAndTheNextCandidateTried) {
  auto fw = World(R"({"sources": [{"filter": "src"}], "filters": [
      {"id": "src", "name": "S", "categories": [], "mapper": false, "pins": [{"name": "O", "dir": "out", "types": ["V/X"]}]},
      {"id": "a", "name": "Broken", "merit": "0x800003", "create_hr": "REGDB_E_CLASSNOTREG", "pins": [{"name": "I", "dir": "in", "types": ["V/X"]}]},
      {"id": "b", "name": "Refuses", "merit": "0x800002", "add_hr": "E_OUTOFMEMORY", "pins": [{"name": "I", "dir": "in", "types": ["V/X"]}]},
      {"id": "c", "name": "Picky", "merit": "0x800001", "pins": [{"name": "I", "dir": "in", "types": ["V/X"], "connect_hr": "VFW_E_TYPE_NOT_ACCEPTED"}]},
      {"id": "d", "name": "Sink", "pins": [{"name": "I", "dir": "in", "types": ["V/*"]}]}]})");
  const std::string all = Joined(Render(*fw, "f.mkv").Lines);
  EXPECT_NE(all.find("> Filters matching mediatype : Broken, Refuses, Picky, Sink\n"), std::string::npos);
  EXPECT_NE(all.find("> Broken creation failed :  : Class not registered (0x80040154)\n"), std::string::npos);
  EXPECT_NE(all.find("> Refuses AddFilter failed :  : Not enough storage is available to complete this operation. (0x8007000E)\n"),
            std::string::npos);
  EXPECT_NE(all.find("> Failed connecting pin to Picky, removing it now.\n"), std::string::npos);
  EXPECT_NE(all.find("> Completed path : f.mkv(O) -> Sink\n"), std::string::npos);
  EXPECT_NE(all.find("MyRenderFile finished : OK"), std::string::npos);
}

TEST(Engine, ASplitterShowsItsOutputsOnceConnected) {
  auto fw = World(R"({"sources": [{"filter": "src"}], "filters": [
      {"id": "src", "name": "S", "categories": [], "mapper": false, "pins": [{"name": "O", "dir": "out", "types": ["Stream/MKV"]}]},
      {"id": "split", "name": "Splitter", "pins": [{"name": "In", "dir": "in", "types": ["Stream/MKV"]},
         {"name": "Video", "dir": "out", "types": ["V/X"], "on_connect": true}]},
      {"id": "sink", "name": "Sink", "pins": [{"name": "I", "dir": "in", "types": ["V/X"]}]}]})");
  const std::string all = Joined(Render(*fw, "f.mkv").Lines);
  EXPECT_NE(all.find("> # Rendering output pin f.mkv(O) -> Splitter(Video)\n"), std::string::npos);
  EXPECT_NE(all.find("> Completed path : f.mkv(O) -> Splitter(Video) -> Sink\n"), std::string::npos);
}

TEST(Engine, LongNamesKeepTheirColourTagsWhole) {
  // 120 characters, with a surrogate pair straddling the cut at 127 - 29 = 98 units.
  std::string name(97, 'n');
  name += "\\uD83C\\uDFB5";
  name += std::string(21, 'z');
  auto fw = World(R"({"sources": [{"filter": "src"}], "filters": [
      {"id": "src", "name": "S", "categories": [], "mapper": false, "pins": [{"name": "O", "dir": "out", "types": ["V/X"]}]},
      {"id": "long", "name": ")" + name + R"(", "pins": [{"name": "I", "dir": "in", "types": ["V/X"]}]}]})");
  const auto out = Render(*fw, "f.mkv");
  const std::string kept(97, 'n');
  EXPECT_NE(out.Html.find("Trying connection to <font color=\"#0067AB\">" + kept + "</font> :"), std::string::npos);
  // Read back from the graph, the name still carries its closing tag.
  EXPECT_NE(out.Html.find("<font color=\"#0067AB\"><font color=\"#0067AB\">" + kept + "</font></font></font>"),
            std::string::npos);
  // The listing shows the whole name.
  EXPECT_NE(out.Html.find(kept + "\xF0\x9F\x8E\xB5zzz"), std::string::npos);
}

TEST(Engine, OnlyANameTheEngineGaveIsColouredTwiceWhenReadBack) {
  // Without a property bag the filter joins under an empty name the engine did not give:
  // its description is one colour pair. A bag without a name gives the empty name.
  const std::string blue = "<font color=\"#0067AB\">";
  for (const auto& [sink, described] : {std::pair<std::string, std::string>{R"("bag": false)", blue + "</font>"},
                                        {R"("clsid": "{00000000-0000-0000-0000-0000000000AA}")",
                                         blue + blue + "</font></font>"}}) {
    auto fw = World(R"({"sources": [{"filter": "src"}], "filters": [
        {"id": "src", "name": "S", "categories": [], "mapper": false, "pins": [{"name": "O", "dir": "out", "types": ["V/X"]}]},
        {"id": "sink", )" + sink + R"(, "pins": [{"name": "I", "dir": "in", "types": ["V/X"]}]}]})");
    const auto out = Render(*fw, "f.mkv");
    EXPECT_NE(out.Html.find("OK, connected to (<font color=\"#CC00AA\">I</font>)" + described + "</font><br />"),
              std::string::npos) << out.Html;
  }
}

TEST(Engine, NamesFromTheFrameworkAreTextNotMarkup) {
  auto fw = World(R"({"sources": [{"filter": "src"}], "filters": [
      {"id": "src", "name": "S", "categories": [], "mapper": false, "pins": [{"name": "<i>O</i>", "dir": "out", "types": ["V/X"]}]},
      {"id": "sink", "name": "A & <b>B</b>", "pins": [{"name": "I", "dir": "in", "types": ["V/X"]}]}]})");
  const auto out = Render(*fw, "<x>.mkv");
  EXPECT_EQ(out.Html.find("<i>"), std::string::npos);
  EXPECT_EQ(out.Html.find("<b>B"), std::string::npos);
  EXPECT_NE(out.Html.find("&lt;x&gt;.mkv"), std::string::npos);
  EXPECT_NE(out.Html.find("A &amp; &lt;b&gt;B&lt;/b&gt;"), std::string::npos);
  const std::string text = Joined(out.Lines);
  EXPECT_NE(text.find("> Completed path : <x>.mkv(<i>O</i>) -> A & <b>B</b>\n"), std::string::npos);
}

TEST(Engine, ElapsedTimesStayRightAcrossATickWrap) {
  std::string json = kChain;
  json.replace(json.find(R"("start": 100)"), 12, R"("start": 4294967290)");
  auto fw = World(json);
  const auto out = Render(*fw, "a.mkv");
  EXPECT_EQ(out.Lines.front(), "10> MyRenderFile : a.mkv");
  EXPECT_EQ(out.Lines.back(), "150> MyRenderFile finished : OK");
}

TEST(Engine, WithoutACallbackTheSameGraphIsBuiltSilently) {
  auto fw = World(kChain);
  {
    TDShowMyRender silent(*fw);
    silent.MyRenderFile("a.mkv");
  }
  // No line asked for the time: a later run starts where the first tick left off.
  const auto out = Render(*fw, "a.mkv");
  EXPECT_EQ(out.Lines.front(), "10> MyRenderFile : a.mkv");
  EXPECT_EQ(out.Lines.back(), "150> MyRenderFile finished : OK");
}

TEST(Engine, TheGraphIsReleasedAndItsRegistrationRevoked) {
  auto fw = World(kChain);
  {
    TDShowMyRender render(*fw);
    render.MyRenderFile("a.mkv");
  }
  // Had the first graph stayed registered, this one would share its name.
  std::vector<std::string> lines;
  TDShowMyRender again(*fw);
  again.FOnStep = [&](const TRenderStep& s) { lines.push_back(PlainLine(RenderStepLine(s))); };
  again.MyRenderFile("a.mkv");
  ASSERT_GE(lines.size(), 4u);
  EXPECT_NE(lines[3].find("Adding graph to ROT : OK"), std::string::npos);
}

}  // namespace
}  // namespace ambrel
