// The whole analysis with the media framework (framework start, Matroska section,
// RenderFile check and detailed rendering) as a fresh ambrel-cli process, against the
// framework's own discoverer, gst-discoverer-1.0, on the same file. Runs of the two
// programs alternate so that a change of load on the machine weighs on both. Prints, per
// sample, the median wall time of each in milliseconds, their ratio and PASS when
// ambrel-cli is the faster; then the start of `ambrel-cli --version`, which loads no
// framework.
// Usage: bench_framework [RUNS] [FILE...]   (default: 15 runs of every sample of tests/data)
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

using Clock = std::chrono::steady_clock;

namespace {

// Wall time of one run in milliseconds, output discarded; negative when it cannot start.
double RunMs(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const auto start = Clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  return WIFEXITED(status) && WEXITSTATUS(status) == 127 ? -1 : ms;
}

double Median(std::vector<double> v) {
  if (v.empty()) return -1;
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
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
    const double a = Median(ours);
    const double b = Median(theirs);
    const bool pass = a < b;
    failures += !pass;
    std::printf("%-24s %9.1f ms %9.1f ms %7.2f %s\n", name.c_str(), a, b, a / b, pass ? "PASS" : "FAIL");
  }
  std::vector<double> version;
  for (int i = 0; i < runs; ++i) version.push_back(RunMs({cli, "--version"}));
  std::printf("%-24s %9.2f ms (the program's start: no framework loaded)\n", "ambrel-cli --version", Median(version));
  if (discoverer) std::printf("%s: ambrel-cli slower on %d of %zu samples\n", failures ? "FAIL" : "PASS", failures, files.size());
  return 0;
}
