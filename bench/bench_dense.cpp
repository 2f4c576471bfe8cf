// Files dense in tiny elements: 1 MB of empty TrackEntry elements and 1 MB of empty
// ChapterAtom elements. Runs ambrel-cli (the text report, without the rendering
// sections) and, when installed, mkvinfo on each, and prints the best wall time, the
// best processor time (user + system: steadier than the wall time on a shared machine),
// the peak memory, and the ratios mkvinfo / ambrel-cli of the processor time and of the
// memory (above 1: ambrel-cli is faster or smaller).
// Usage: bench_dense [RUNS] (default 5)
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "BenchEbml.h"
#include "BenchProcess.h"

namespace {

using bench::Element;
using bench::OnPath;
using bench::TRun;

std::string DenseFile(bool chapters) {
  std::string empties;
  for (int i = 0; i < (1 << 19); ++i) empties += chapters ? "\xB6\x80" : "\xAE\x80";  // 1 MB
  const std::string header = Element(0x1A45DFA3, Element(0x4282, "matroska") + Element(0x4285, "\x01"));
  const std::string info = Element(0x1549A966, Element(0x2AD7B1, std::string("\x0F\x42\x40", 3)));
  const std::string body = chapters ? Element(0x1043A770, Element(0x45B9, empties)) : Element(0x1654AE6B, empties);
  const std::string cluster = Element(0x1F43B675, Element(0xE7, std::string(1, '\0')));
  return header + Element(0x18538067, info + body + cluster);
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("ambrel_bench_dense_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const bool haveMkvinfo = OnPath("mkvinfo");
  std::printf("%-20s %-11s %9s %9s %9s %10s %9s\n", "file (1 MB)", "tool", "wall ms", "cpu ms", "peak MB",
              "cpu ratio", "mem ratio");
  for (const bool chapters : {false, true}) {
    const std::string name = chapters ? "empty ChapterAtoms" : "empty TrackEntry";
    const std::string path = (dir / (chapters ? "chapters.mkv" : "tracks.mkv")).string();
    bench::WriteFileInChild(path, [chapters] { return DenseFile(chapters); });
    const TRun ours = bench::MeasureBest({AMBREL_CLI_PATH, "--no-render", path}, runs);
    std::printf("%-20s %-11s %9.1f %9.1f %9.1f %10s %9s\n", name.c_str(), "ambrel-cli", ours.Ms, ours.CpuMs,
                ours.PeakKb / 1024.0, "1.00", "1.00");
    if (!haveMkvinfo) continue;
    const TRun theirs = bench::MeasureBest({"mkvinfo", path}, runs);
    std::printf("%-20s %-11s %9.1f %9.1f %9.1f %10.2f %9.2f\n", name.c_str(), "mkvinfo", theirs.Ms, theirs.CpuMs,
                theirs.PeakKb / 1024.0, theirs.CpuMs / ours.CpuMs,
                static_cast<double>(theirs.PeakKb) / static_cast<double>(ours.PeakKb));
  }
  if (!haveMkvinfo) std::printf("mkvinfo is not installed: no ratios\n");
  std::filesystem::remove_all(dir);
  return 0;
}
