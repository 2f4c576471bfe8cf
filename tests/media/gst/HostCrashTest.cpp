// A file on which the framework's own Matroska demuxer crashes (chapters nested 100,000
// deep overflow its streaming thread's stack): the analysis, through its framework host,
// still gives the whole report.
#include <string>

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

TEST(GstFrameworkHost, AFileThatCrashesTheDemuxerStillGetsItsWholeReport) {
  REQUIRE_FACTORIES("matroskademux", "uridecodebin");
  const TTempDir dir;
  const std::string file = Quote(dir.Write("deep.mkv", DeepChapters(100000)));
  const CliRun run = Cli(file);
  EXPECT_EQ(run.status, 0);
  const std::string matroska = Cli("--no-render " + file).out;
  ASSERT_FALSE(matroska.empty());
  EXPECT_EQ(run.out.substr(0, matroska.size()), matroska);
  // SIGSEGV; a sanitizer build's runtime catches the overflow and exits instead.
  const std::string stop = "The media framework stopped while rendering this file: ";
  EXPECT_NE(run.out.find("DirectShow RenderFile check : \r\n"), std::string::npos) << run.out;
  // The detailed rendering keeps the steps it made before the crash (all of them, when it
  // ran beside the RenderFile check and finished first), and ends with the stop line.
  const size_t detailed = run.out.find("DirectShow detailed rendering : \r\n");
  ASSERT_NE(detailed, std::string::npos) << run.out;
  ASSERT_TRUE(run.out.ends_with("\r\n\r\n")) << run.out;
  const size_t last = run.out.rfind("\r\n", run.out.size() - 5) + 2;
  EXPECT_GT(last, detailed) << run.out;
  EXPECT_EQ(run.out.compare(last, stop.size(), stop), 0) << run.out;
}

}  // namespace
}  // namespace ambrel::testing
