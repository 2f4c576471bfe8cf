// The whole analysis of one sample with the media framework started, against the
// framework's own discoverer on the same file. Prints, in milliseconds per run:
// - ambrel-cli as a fresh process (framework start, Matroska section, RenderFile check and
//   detailed rendering), and gst-discoverer-1.0 as a fresh process, with their ratio;
// - the same analysis run in this process, the first time (framework start included) and
//   then warm.
// Usage: bench_framework [FILE] [RUNS]   (default: the demo sample, 20 runs)
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "app/MediaAnalysis.h"

using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Mean wall time of a shell command over runs, or a negative value when it cannot run.
double MeanCommandMs(const std::string& command, int runs) {
  const auto start = Clock::now();
  for (int i = 0; i < runs; ++i) {
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) == 127) return -1;
  }
  return Ms(Clock::now() - start) / runs;
}

double AnalysisMs(const std::string& file) {
  std::ostringstream out;
  std::ostringstream err;
  const auto start = Clock::now();
  ambrel::RunAnalysisCommand({file}, "./", out, err);
  return Ms(Clock::now() - start);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string file = argc > 1 ? argv[1] : AMBREL_BENCH_DATA_DIR "/sample.mkv";
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;

  const double cli = MeanCommandMs(Quote(AMBREL_BENCH_CLI_PATH) + " " + Quote(file), runs);
  const double discoverer = MeanCommandMs("gst-discoverer-1.0 " + Quote(file), runs);
  const double first = AnalysisMs(file);
  double warm = 0;
  for (int i = 0; i < runs; ++i) warm += AnalysisMs(file);
  warm /= runs;

  std::printf("file: %s, %d runs\n", file.c_str(), runs);
  std::printf("%-58s %10.3f ms/run\n", "ambrel-cli whole analysis (fresh process)", cli);
  if (discoverer < 0)
    std::printf("%-58s %10s\n", "gst-discoverer-1.0 (fresh process)", "not installed");
  else
    std::printf("%-58s %10.3f ms/run  (ratio to ambrel-cli %.2f)\n", "gst-discoverer-1.0 (fresh process)", discoverer,
                discoverer / cli);
  std::printf("%-58s %10.3f ms\n", "in-process analysis, first run (framework start included)", first);
  std::printf("%-58s %10.3f ms/run\n", "in-process analysis, warm", warm);
  return 0;
}
