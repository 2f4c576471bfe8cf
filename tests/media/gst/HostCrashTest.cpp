// A file on which the framework's own Matroska demuxer crashes (chapters nested 100,000
// deep overflow its streaming thread's stack): the analysis, through its framework host,
// still gives the whole report.
#include <stdlib.h>

#include <string>
#include <thread>

#include "dshow/DShowSections.h"
#include "host/FrameworkHost.h"
#include "media/gst/GstBackend.h"
#include "tests/app/cli/CliRun.h"
#include "tests/media/gst/GstTestUtil.h"

namespace ambrel::testing {
namespace {

// An EBML element with an 8-byte size.
std::string Element(const std::string& Id, size_t Size) {
  std::string out = Id + '\x01';
  for (int i = 6; i >= 0; --i) out += static_cast<char>((Size >> (8 * i)) & 0xFF);
  return out;
}
std::string Element(const std::string& Id, const std::string& Payload) {
  return Element(Id, Payload.size()) + Payload;
}

// One PCM audio track, one cluster, and chapter atoms each holding the next, Depth deep.
std::string DeepChapters(size_t Depth) {
  const std::string header =
      Element("\x1A\x45\xDF\xA3", Element("\x42\x82", "matroska") + Element("\x42\x87", "\x04") +
                                      Element("\x42\x85", "\x02"));
  const std::string info = Element("\x15\x49\xA9\x66", Element(std::string("\x2A\xD7\xB1"), std::string("\x0F\x42\x40")));
  const std::string audio = Element("\xE1", Element("\xB5", std::string("\x45\xFA\x00\x00", 4)) + Element("\x9F", "\x01"));
  const std::string tracks = Element(
      "\x16\x54\xAE\x6B", Element("\xAE", Element("\xD7", "\x01") + Element("\x73\xC5", "\x01") +
                                              Element("\x83", "\x02") + Element("\x86", "A_PCM/INT/LIT") + audio));
  const std::string leaf = Element("\x73\xC4", "\x01") + Element("\x91", std::string(1, '\0'));
  const size_t atom = 9 + leaf.size();  // an atom's bytes besides the atom it holds
  std::string atoms;
  atoms.reserve(Depth * atom);
  for (size_t i = 0; i < Depth; ++i) atoms += Element("\xB6", leaf.size() + atom * (Depth - 1 - i)) + leaf;
  const std::string chapters = Element("\x10\x43\xA7\x70", Element("\x45\xB9", atoms));
  const std::string cluster = Element(
      "\x1F\x43\xB6\x75", Element("\xE7", std::string(1, '\0')) +
                              Element("\xA3", std::string("\x81\x00\x00\x80", 4) + std::string(160, '\0')));
  return header + Element("\x18\x53\x80\x67", info + tracks + chapters + cluster);
}

// Tracks PCM audio tracks, each with one frame.
std::string ManyTracks(size_t Tracks) {
  const std::string header =
      Element("\x1A\x45\xDF\xA3", Element("\x42\x82", "matroska") + Element("\x42\x87", "\x04") +
                                      Element("\x42\x85", "\x02"));
  const std::string info = Element("\x15\x49\xA9\x66", Element(std::string("\x2A\xD7\xB1"), std::string("\x0F\x42\x40")));
  const std::string audio = Element("\xE1", Element("\xB5", std::string("\x45\xFA\x00\x00", 4)) + Element("\x9F", "\x01"));
  std::string entries, blocks;
  for (size_t n = 1; n <= Tracks; ++n) {
    const std::string number{static_cast<char>(n >> 8), static_cast<char>(n & 0xFF)};
    entries += Element("\xAE", Element("\xD7", number) + Element("\x73\xC5", number) + Element("\x83", "\x02") +
                                   Element("\x86", "A_PCM/INT/LIT") + audio);
    const std::string track = n < 127 ? std::string(1, static_cast<char>(0x80 | n))
                                      : std::string{static_cast<char>(0x40 | (n >> 8)), static_cast<char>(n & 0xFF)};
    blocks += Element("\xA3", track + std::string("\x00\x00\x80", 3) + std::string(160, '\0'));
  }
  const std::string cluster = Element("\x1F\x43\xB6\x75", Element("\xE7", std::string(1, '\0')) + blocks);
  return header + Element("\x18\x53\x80\x67", info + Element("\x16\x54\xAE\x6B", entries) + cluster);
}

TEST(GstFrameworkHost, AFileWithManyTracksRendersAsInProcessAndCostsTheNextFileNothing) {
  REQUIRE_FACTORIES("matroskademux", "uridecodebin");
  const TTempDir dir;
  // Hundreds of streams make hundreds of the framework's threads.
  const std::string many = Quote(dir.Write("many.mka", ManyTracks(300)));
  setenv("AMBREL_FRAMEWORK_IN_PROCESS", "1", 1);
  const std::string inProcess = Cli("--json " + many).out;
  unsetenv("AMBREL_FRAMEWORK_IN_PROCESS");
  const std::string audio = Cli("--json audio.mka").out;
  for (int round = 0; round < 3; ++round) {
    const CliRun run = Cli("--json " + many + " audio.mka audio.mka");
    EXPECT_EQ(run.out, inProcess + audio + audio) << run.err;
  }
}

// A file left between the RenderFile check and the detailed rendering (its rendering,
// begun beside the check, may still be sending steps): the next file's steps are its own.
TEST(GstFrameworkHost, TheNextFileGetsOnlyItsOwnSteps) {
  REQUIRE_FACTORIES("matroskademux", "uridecodebin");
  host::TFrameworkHost host(AMBREL_HOST_PATH, std::nullopt);
  const auto check = [&](const std::string& File) {
    host.BeginFile();
    host.Prepare(File);
    host.Start();
    return host.CheckRenderFile(File);
  };
  const std::string first = kData + "/sample.mkv", second = kData + "/audio.mka";
  check(first);
  ASSERT_TRUE(check(second).Stopped.empty());
  const TRenderRun run = host.RenderDetailed(second);
  ASSERT_FALSE(run.Steps.empty());
  EXPECT_EQ(run.Steps.front().Kind, TRenderStepKind::Start);
  for (const TRenderStep& step : run.Steps) EXPECT_TRUE(step.File.empty() || step.File == second) << step.File;
  EXPECT_EQ(run.Steps.back().Kind, TRenderStepKind::Finished);
}

// A thread the system refuses fails the work that wanted it, never the process, and is
// said as the file's own failure.
TEST(GstFrameworkHost, ARefusedThreadFailsOnlyTheWorkThatWantedIt) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        pthread_attr_t huge;
        pthread_attr_init(&huge);
        pthread_attr_setstacksize(&huge, size_t{1} << 46);
        pthread_setattr_default_np(&huge);
        const bool bounded = media::gst::RunBounded([] { return true; }, std::chrono::seconds(1));
        const bool detached = media::gst::RunDetached([] {});
        const std::unique_ptr<media::IMediaFramework> none = media::CreateNoMediaFramework();
        TDetailedRenderingAhead ahead("none.mkv", *none, true);
        const bool refused = !ahead.Refused().empty() && !ahead.Take().Steps.empty();
        const media::IMediaFramework::TLeftovers left = media::gst::SettleJobs(std::chrono::seconds(1));
        std::_Exit(!bounded && !detached && refused && !left.Clean &&
                           left.Failure.rfind("The media framework could not start a thread: ", 0) == 0
                       ? 0
                       : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

// Chapters nested deep enough to overflow the demuxer's stack when it reads them: neither
// the RenderFile check nor the detailed rendering reads past the headers, so the file is
// answered in full, without the framework stopping.
TEST(GstFrameworkHost, AFileWhoseChaptersWouldCrashTheDemuxerIsAnsweredWithoutReadingThem) {
  REQUIRE_FACTORIES("matroskademux");
  const TTempDir dir;
  const std::string file = Quote(dir.Write("deep.mkv", DeepChapters(100000)));
  const CliRun run = Cli(file);
  EXPECT_EQ(run.status, 0);
  const std::string matroska = Cli("--no-render " + file).out;
  ASSERT_FALSE(matroska.empty());
  EXPECT_EQ(run.out.substr(0, matroska.size()), matroska);
  EXPECT_EQ(run.out.find("The media framework stopped"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("RenderFile with DirectShow : OK"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("MyRenderFile finished : OK"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace ambrel::testing
