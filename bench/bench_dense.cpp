// Files dense in tiny elements: 1 MB of empty TrackEntry elements and 1 MB of empty
// ChapterAtom elements. Runs ambrel-cli (text report) and, when installed, mkvinfo on each,
// and prints the best wall time, the best processor time (user + system: steadier than
// the wall time on a shared machine), the peak memory, and the ratios mkvinfo /
// ambrel-cli of the processor time and of the memory (above 1: ambrel-cli is faster or
// smaller).
// Usage: bench_dense [RUNS] (default 5)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "BenchEbml.h"
#include <vector>

namespace {

using bench::Element;

std::string DenseFile(bool chapters) {
  std::string empties;
  for (int i = 0; i < (1 << 19); ++i) empties += chapters ? "\xB6\x80" : "\xAE\x80";  // 1 MB
  const std::string header = Element(0x1A45DFA3, Element(0x4282, "matroska") + Element(0x4285, "\x01"));
  const std::string info = Element(0x1549A966, Element(0x2AD7B1, std::string("\x0F\x42\x40", 3)));
  const std::string body = chapters ? Element(0x1043A770, Element(0x45B9, empties)) : Element(0x1654AE6B, empties);
  const std::string cluster = Element(0x1F43B675, Element(0xE7, std::string(1, '\0')));
  return header + Element(0x18538067, info + body + cluster);
}

struct TRun {
  double Ms = 1e300;
  double CpuMs = 1e300;
  long PeakKb = 0;
  bool Ok = true;
};

// Best wall time and largest peak resident size of Runs runs of the command.
TRun Measure(const std::vector<std::string>& command, int runs) {
  TRun result;
  for (int r = 0; r < runs; ++r) {
    std::fflush(stdout);  // the child must not print what is still buffered here
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
      std::freopen("/dev/null", "w", stdout);
      std::vector<char*> argv;
      for (const std::string& a : command) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execvp(argv[0], argv.data());
      _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    result.Ok = result.Ok && WIFEXITED(status) && WEXITSTATUS(status) != 127;
    result.Ms = std::min(result.Ms, ms);
    const auto toMs = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1000 + t.tv_usec / 1000.0; };
    result.CpuMs = std::min(result.CpuMs, toMs(usage.ru_utime) + toMs(usage.ru_stime));
    result.PeakKb = std::max(result.PeakKb, usage.ru_maxrss);
  }
  return result;
}

bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  if (!path) return false;
  std::string dirs = path;
  for (size_t start = 0; start <= dirs.size();) {
    const size_t end = std::min(dirs.find(':', start), dirs.size());
    if (access((dirs.substr(start, end - start) + "/" + program).c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
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
    std::ofstream(path, std::ios::binary) << DenseFile(chapters);
    const TRun ours = Measure({AMBREL_CLI_PATH, path}, runs);
    std::printf("%-20s %-11s %9.1f %9.1f %9.1f %10s %9s\n", name.c_str(), "ambrel-cli", ours.Ms, ours.CpuMs,
                ours.PeakKb / 1024.0, "1.00", "1.00");
    if (!haveMkvinfo) continue;
    const TRun theirs = Measure({"mkvinfo", path}, runs);
    std::printf("%-20s %-11s %9.1f %9.1f %9.1f %10.2f %9.2f\n", name.c_str(), "mkvinfo", theirs.Ms, theirs.CpuMs,
                theirs.PeakKb / 1024.0, theirs.CpuMs / ours.CpuMs,
                static_cast<double>(theirs.PeakKb) / static_cast<double>(ours.PeakKb));
  }
  if (!haveMkvinfo) std::printf("mkvinfo is not installed: no ratios\n");
  std::filesystem::remove_all(dir);
  return 0;
}
