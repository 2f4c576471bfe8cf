// The whole analysis with the media framework (framework start, Matroska section,
// RenderFile check and detailed rendering) as a fresh ambrel-cli process, against the
// framework's own discoverer, gst-discoverer-1.0, on the same file. Runs of the two
// programs alternate so that a change of load on the machine weighs on both. Prints, per
// sample, the median wall time of each in milliseconds, their ratio and PASS when
// ambrel-cli is the faster; then the start of `ambrel-cli --version`, which loads no
// framework.
// Usage: bench_framework [RUNS] [FILE...]   (default: 15 runs of every sample of tests/data)

#include "BenchProcess.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// Wall time of one run in milliseconds, output discarded; negative when it cannot start.
double RunMs(const std::vector<std::string>& argv) {
  const bench::TRun run = bench::RunOnce(argv);
  return run.Ok ? run.Ms : -1;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  std::vector<std::string> files(argv + std::min(argc, 2), argv + argc);
  if (files.empty()) {
    for (const auto& entry : std::filesystem::directory_iterator(AMBREL_BENCH_DATA_DIR)) {
      const std::string ext = entry.path().extension().string();
      if (ext == ".mkv" || ext == ".mka" || ext == ".mks" || ext == ".webm") files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
  }
  const std::string cli = AMBREL_BENCH_CLI_PATH;

  std::printf("%-24s %12s %12s %7s\n", "sample", "ambrel-cli", "discoverer", "ratio");
  int failures = 0;
  bool discoverer = true;
  for (const std::string& file : files) {
    std::vector<double> ours, theirs;
    RunMs({cli, file});  // warm the page cache and the plugin registry
    for (int i = 0; i < runs && discoverer; ++i) {
      ours.push_back(RunMs({cli, file}));
      const double t = RunMs({"gst-discoverer-1.0", file});
      if (t < 0) discoverer = false;
      theirs.push_back(t);
    }
    const std::string name = std::filesystem::path(file).filename().string();
    if (!discoverer) {
      std::printf("%-24s gst-discoverer-1.0 not installed: nothing to compare\n", name.c_str());
      break;
    }
    const double a = bench::Median(ours);
    const double b = bench::Median(theirs);
    const bool pass = a < b;
    failures += !pass;
    std::printf("%-24s %9.1f ms %9.1f ms %7.2f %s\n", name.c_str(), a, b, a / b, pass ? "PASS" : "FAIL");
  }
  std::vector<double> version;
  for (int i = 0; i < runs; ++i) version.push_back(RunMs({cli, "--version"}));
  std::printf("%-24s %9.2f ms (the program's start: no framework loaded)\n", "ambrel-cli --version", bench::Median(version));
  if (discoverer) std::printf("%s: ambrel-cli slower on %d of %zu samples\n", failures ? "FAIL" : "PASS", failures, files.size());
  return 0;
}
