// The whole analysis with the media framework (framework start, Matroska section,
// RenderFile check and detailed rendering) as a fresh ambrel-cli process, against the
// framework's own discoverer, gst-discoverer-1.0, on the same file. Runs of the programs
// alternate so that a change of load on the machine weighs on all. Prints, per sample,
// the median wall time in milliseconds of ambrel-cli (its framework in a host process),
// of ambrel-cli with the framework in its own process (AMBREL_FRAMEWORK_IN_PROCESS=1) and
// of the discoverer, the ratio to the discoverer's and PASS when ambrel-cli is the faster,
// and what the host process costs (at most 2 ms is the aim); then the start of
// `ambrel-cli --version`, which loads no framework; then a batch of every sample,
// `ambrel-cli --json --jobs 2 FILES...` against `gst-discoverer-1.0 FILES...`, as the
// ratio of their throughputs (at least 2 is the aim), with the same batch on one job and
// with the framework in ambrel-cli's own process, which show what the second host costs.
// Last, the processor time each program spends per file (a file's copies in one batch,
// against one copy), for a sample without a decoder library to load and one with: what
// bounds the batch's ratio on a machine whose cores are all busy.
// bench_host measures the host's own cost per file apart from the framework's work.
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

// The same with the framework in ambrel-cli's own process.
double InProcessMs(const std::vector<std::string>& argv) {
  setenv("AMBREL_FRAMEWORK_IN_PROCESS", "1", 1);
  const double ms = RunMs(argv);
  unsetenv("AMBREL_FRAMEWORK_IN_PROCESS");
  return ms;
}

// Processor time in milliseconds per file after the first, all processes counted: Program
// (its arguments before the files) on Copies copies of File against one copy, the median of
// three of each.
double CpuPerFileMs(std::vector<std::string> Program, const std::string& File, int Copies) {
  std::vector<std::string> one = Program, many = Program;
  one.push_back(File);
  many.insert(many.end(), static_cast<size_t>(Copies), File);
  std::vector<double> a, b;
  for (int i = 0; i < 3; ++i) {
    a.push_back(bench::TreeCpuMs(one));
    b.push_back(bench::TreeCpuMs(many));
  }
  return (bench::Median(b) - bench::Median(a)) / (Copies - 1);
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

  std::printf("%-24s %12s %12s %12s %7s %11s\n", "sample", "ambrel-cli", "in-process", "discoverer", "ratio",
              "host cost");
  int failures = 0;
  bool discoverer = true;
  for (const std::string& file : files) {
    std::vector<double> ours, inProcess, theirs;
    RunMs({cli, file});  // warm the page cache and the plugin registry
    for (int i = 0; i < runs && discoverer; ++i) {
      ours.push_back(RunMs({cli, file}));
      inProcess.push_back(InProcessMs({cli, file}));
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
    const double local = bench::Median(inProcess);
    std::printf("%-24s %9.1f ms %9.1f ms %9.1f ms %7.2f %8.1f ms %s\n", name.c_str(), a, local, b, a / b, a - local,
                pass ? "PASS" : "FAIL");
  }
  std::vector<double> version;
  for (int i = 0; i < runs; ++i) version.push_back(RunMs({cli, "--version"}));
  std::printf("%-24s %9.2f ms (the program's start: no framework loaded)\n", "ambrel-cli --version", bench::Median(version));
  if (!discoverer) return 0;
  std::printf("%s: ambrel-cli slower on %d of %zu samples\n", failures ? "FAIL" : "PASS", failures, files.size());

  std::vector<std::string> batch{cli, "--json", "--jobs", "2"};
  batch.insert(batch.end(), files.begin(), files.end());
  std::vector<std::string> oneJob = batch;
  oneJob[3] = "1";
  std::vector<std::string> discover{"gst-discoverer-1.0"};
  discover.insert(discover.end(), files.begin(), files.end());
  // The discoverer now and then waits out its own 10 s time-out on a file of a batch: such
  // runs say nothing of its throughput and are left out (and counted).
  std::vector<double> ours, theirs, inProcessBatch, oneJobBatch;
  int stalled = 0;
  for (int i = 0; i < std::max(5, runs); ++i) {
    ours.push_back(RunMs(batch));
    const double t = RunMs(discover);
    if (t < 9000) theirs.push_back(t);
    stalled += t >= 9000;
    inProcessBatch.push_back(InProcessMs(batch));
    oneJobBatch.push_back(RunMs(oneJob));
  }
  const double a = bench::Median(ours);
  const double b = bench::Median(theirs);
  std::printf("batch of %zu files: ambrel-cli --json --jobs 2 %.1f ms, gst-discoverer-1.0 %.1f ms: throughput ratio "
              "%.2f %s\n",
              files.size(), a, b, b / a, b / a >= 2 ? "PASS" : "FAIL");
  std::printf("  (--jobs 1: %.1f ms; --jobs 2 with the framework in ambrel-cli's process: %.1f ms; %d discoverer "
              "runs left out that waited for its time-out)\n",
              bench::Median(oneJobBatch), bench::Median(inProcessBatch), stalled);

  for (const std::string& file : files) {
    const std::string name = std::filesystem::path(file).filename().string();
    if (name != "date_1999.mka" && name != "sample.mkv") continue;
    const double own = CpuPerFileMs({cli, "--json", "--jobs", "1"}, file, 41);
    const double theirs = CpuPerFileMs({"gst-discoverer-1.0"}, file, 41);
    std::printf("processor time per file, %s: ambrel-cli --json %.1f ms, gst-discoverer-1.0 %.1f ms (%.2fx)\n",
                name.c_str(), own, theirs, own / theirs);
  }
  return 0;
}
