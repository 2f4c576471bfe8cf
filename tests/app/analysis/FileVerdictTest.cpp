// A file's one verdict, read from the per-track verdicts: what each kind of shortfall
// makes of the whole file, and the status line the window shows first.
#include <gtest/gtest.h>

#include "app/analysis/FileVerdict.h"

namespace ambrel {
namespace {

using media::TStreamFate;

struct TCase {
  const char* Name;
  std::vector<std::pair<const char*, const char*>> Tracks;  // (status, package) of tracks 1, 2, ...
  const char* Status;
  std::vector<std::string> Packages;
  std::vector<uint64_t> Shortfalls;
  const char* Line;
};

// Track 3 is a subtitle track; the others audio, with codec A_Cn for track n.
TFileVerdict VerdictOf(const TCase& c) {
  TFileFacts facts{true, "", {}};
  TRenderFileCheck check;
  check.Streams.Told = true;
  for (size_t i = 0; i < c.Tracks.size(); ++i) {
    const uint64_t number = i + 1;
    facts.Tracks.push_back({"A_C" + std::to_string(number), static_cast<uint8_t>(number == 3 ? 0x11 : 2)});
    TTrackPlayback t;
    t.Number = number;
    t.TrackNumber = number;
    t.Status = c.Tracks[i].first;
    t.Package = c.Tracks[i].second;
    check.Tracks.push_back(t);
    // The demuxer exposed every track but the fourth.
    if (number != 4) check.Streams.Streams.push_back({number, number, TStreamFate::NotRendered, "", "", "", "", ""});
  }
  return FileVerdictOf(facts, check, nullptr);
}

TEST(FileVerdict, TheFileStatusComesFromItsTracks) {
  const TCase cases[] = {
      {"all play", {{"plays", ""}, {"plays", ""}}, "plays", {}, {}, "Plays here."},
      {"a subtitle the player draws", {{"plays", ""}, {"plays", ""}, {"not_rendered", ""}}, "plays", {}, {}, "Plays here."},
      {"packages, each once, sorted",
       {{"no_decoder", "pkg-b"}, {"no_decoder", "pkg-a"}, {"plays", ""}, {"plays", ""}, {"no_decoder", "pkg-b"}},
       "needs", {"pkg-a", "pkg-b"}, {1, 2, 5}, "Track 1 needs pkg-b (A_C1), and 2 more."},
      {"a decoder no package brings", {{"plays", ""}, {"no_decoder", ""}}, "cannot", {}, {2},
       "Track 2 cannot play here (A_C2)."},
      {"an unexposed track outweighs a package",
       {{"no_decoder", "pkg-a"}, {"plays", ""}, {"plays", ""}, {"not_rendered", ""}}, "cannot", {"pkg-a"}, {1, 4},
       "Track 1 needs pkg-a (A_C1), and 1 more."},
  };
  for (const TCase& c : cases) {
    const TFileVerdict v = VerdictOf(c);
    std::vector<uint64_t> shortfalls;
    for (const TTrackShortfall& t : v.Tracks) shortfalls.push_back(t.TrackNumber);
    EXPECT_EQ(v.Status, c.Status) << c.Name;
    EXPECT_EQ(v.Packages, c.Packages) << c.Name;
    EXPECT_EQ(shortfalls, c.Shortfalls) << c.Name;
    EXPECT_EQ(PlaybackStatusLine(v), c.Line) << c.Name;
  }
}

TEST(FileVerdict, DamageAndAStoppedFrameworkComeFirst) {
  TRenderFileCheck check;
  check.Streams.Told = true;
  check.Tracks.push_back({1, 1, "no_decoder", "", "", "pkg", ""});
  TRenderRun run;
  run.Stopped = "the media framework stopped: SIGSEGV";
  const TFileVerdict damaged = FileVerdictOf({false, "the file ends inside TrackEntry", {}}, check, &run);
  EXPECT_EQ(damaged.Status + ": " + damaged.Reason, "damaged: the file ends inside TrackEntry");
  EXPECT_EQ(PlaybackStatusLine(damaged), "");
  const TFileVerdict stopped = FileVerdictOf({true, "", {}}, check, &run);
  EXPECT_EQ(stopped.Status + ": " + stopped.Reason, "stopped: the media framework stopped: SIGSEGV");
  EXPECT_EQ(PlaybackStatusLine(stopped), "");
  // A framework that tells nothing per stream answers for the whole file.
  check.Streams.Told = false;
  check.Result = static_cast<media::HRESULT>(0x80040265);
  check.ResultText = "cannot render";
  EXPECT_EQ(FileVerdictOf({true, "", {}}, check, nullptr).Status, "cannot");
}

}  // namespace
}  // namespace ambrel
