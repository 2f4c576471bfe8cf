// The rendering results cross the host boundary unchanged, and an answer cut short is
// refused rather than read as a shorter result.
#include <gtest/gtest.h>

#include "host/RenderResultsWire.h"

namespace ambrel::host {
namespace {

TRenderFileCheck SampleCheck() {
  TRenderFileCheck check;
  check.Framework = "GStreamer 1.22.0";
  check.Splitters = {{"First splitter", "no", false}, {"Second splitter", "yes, in /lib/x.so (1.2)", true}};
  check.Result = static_cast<media::HRESULT>(0x80040265);
  check.ResultText = "Cannot play back the file.";
  check.Notes = {{"Missing decoder", "audio/x-\xE2\x82\xAC"}};
  check.Streams = {true, false,
                   {{0xFFFFFFFF00000005u, 0x8000000000000001u, media::TStreamFate::Plays, "dec", "A decoder", "pkg", "", ""},
                    {9, 0, media::TStreamFate::NotRendered, "", "", "", "why", ""},
                    {2, 3, media::TStreamFate::NoDecoder, "", "", "", "Foo", "Foo decoder"}},
                   {"Foo decoder", ""}};
  return check;
}

std::vector<TRenderStep> SampleSteps() {
  TRenderStep start(TRenderStepKind::Start);
  start.File = "a b.mkv";
  TRenderStep connected(TRenderStepKind::Connected);
  connected.Elapsed = 42;
  connected.Path = {{"Source", "Output"}, {std::nullopt, "Video"}, {"Decoder", std::nullopt}};
  connected.Pin = "In";
  connected.Joined = {"Decoder", true, " 0001"};
  TRenderStep matching(TRenderStepKind::Matching);
  matching.Names = {"A", "", "C"};
  matching.Filter = std::nullopt;
  TRenderStep finished(TRenderStepKind::Finished);
  finished.Result = static_cast<media::HRESULT>(0x00040242);
  finished.ResultText = "Some of the streams are in an unsupported format.";
  return {start, connected, matching, finished};
}

TFilterInstall SampleInstall() { return {true, u"/lib/\u20AC\xD800x.so", "1.2.3.4"}; }

// Every field, in a form two results can be compared by.
std::string Fields(const TRenderStep& S) {
  std::string out = std::to_string(static_cast<int>(S.Kind)) + "|" + std::to_string(S.Elapsed) + "|" +
                    std::to_string(S.Result) + "|" + S.ResultText + "|" + S.File + "|";
  const auto name = [&out](const TShownName& N) { out += N ? "<" + *N + ">" : "-"; };
  for (const TPathHop& hop : S.Path) {
    name(hop.Filter);
    name(hop.Pin);
  }
  out += "|";
  name(S.Filter);
  name(S.Pin);
  name(S.Joined.Name);
  out += (S.Joined.Given ? "+" : "") + S.Joined.Suffix + "|";
  for (const std::string& n : S.Names) out += n + ",";
  return out;
}

// The frame's bytes read back; Cut drops that many bytes from its end.
TFrame Reread(const TFrame& Frame, size_t Cut = 0) {
  const std::string wire = Frame.Encode();
  return TFrame::Decode(std::string_view(wire).substr(4, wire.size() - 4 - Cut));
}

TEST(RenderResultsWire, ResultsCrossUnchanged) {
  TFrame frame(TKind::Checked);
  const TRenderFileCheck sent = SampleCheck();
  PutCheck(frame, sent);
  TFrame back = Reread(frame);
  TRenderFileCheck got;
  ASSERT_TRUE(GetCheck(back, got));
  EXPECT_EQ(got.Framework, sent.Framework);
  ASSERT_EQ(got.Splitters.size(), sent.Splitters.size());
  for (size_t i = 0; i < sent.Splitters.size(); ++i) {
    EXPECT_EQ(got.Splitters[i].Name, sent.Splitters[i].Name);
    EXPECT_EQ(got.Splitters[i].Installed, sent.Splitters[i].Installed);
    EXPECT_EQ(got.Splitters[i].Creatable, sent.Splitters[i].Creatable);
  }
  EXPECT_EQ(got.Result, sent.Result);
  EXPECT_EQ(got.ResultText, sent.ResultText);
  EXPECT_EQ(got.Notes, sent.Notes);
  EXPECT_EQ(got.Streams, sent.Streams);

  TRenderRun run;
  for (const TRenderStep& step : SampleSteps()) {
    TFrame stepFrame(TKind::Step);
    PutStep(stepFrame, step);
    TFrame stepBack = Reread(stepFrame);
    ASSERT_TRUE(GetStep(stepBack, run));
    EXPECT_EQ(Fields(run.Steps.back()), Fields(step));
  }

  // A server path's UTF-16 units cross as they are, a lone surrogate too.
  for (const TFilterInstall& install : {TFilterInstall{}, SampleInstall()}) {
    TFrame installFrame(TKind::Install);
    PutInstall(installFrame, install);
    TFrame installBack = Reread(installFrame);
    TFilterInstall gotInstall;
    ASSERT_TRUE(GetInstall(installBack, gotInstall));
    EXPECT_EQ(gotInstall.Installed, install.Installed);
    EXPECT_EQ(gotInstall.Server, install.Server);
    EXPECT_EQ(gotInstall.Version, install.Version);
  }
}

TEST(RenderResultsWire, AnAnswerCutShortIsRefused) {
  TFrame check(TKind::Checked);
  PutCheck(check, SampleCheck());
  const size_t checkSize = check.Encode().size() - 5;
  for (size_t cut = 1; cut <= checkSize; ++cut) {
    TFrame back = Reread(check, cut);
    TRenderFileCheck got;
    EXPECT_FALSE(GetCheck(back, got)) << cut;
  }
  TFrame install(TKind::Install);
  PutInstall(install, SampleInstall());
  for (size_t cut = 1; cut <= install.Encode().size() - 5; ++cut) {
    TFrame back = Reread(install, cut);
    TFilterInstall got;
    EXPECT_FALSE(GetInstall(back, got)) << cut;
  }
  for (const TRenderStep& step : SampleSteps()) {
    TFrame frame(TKind::Step);
    PutStep(frame, step);
    const size_t size = frame.Encode().size() - 5;
    for (size_t cut = 1; cut <= size; ++cut) {
      TFrame back = Reread(frame, cut);
      TRenderRun run;
      EXPECT_FALSE(GetStep(back, run)) << cut;
      EXPECT_TRUE(run.Steps.empty());
    }
  }
}

}  // namespace
}  // namespace ambrel::host
