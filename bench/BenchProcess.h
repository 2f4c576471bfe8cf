// Runs a program as a child process and measures it: wall time, processor time and peak
// memory of each run.
#pragma once

#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace bench {

struct TRun {
  double Ms = 0;     // wall time
  double CpuMs = 0;  // user + system time: steadier than the wall time on a shared machine
  long PeakKb = 0;   // peak resident set size
  bool Ok = true;    // the program could be started
};

// The median of Values; 0 when there are none.
inline double Median(std::vector<double> Values) {
  if (Values.empty()) return 0.0;
  std::sort(Values.begin(), Values.end());
  const size_t n = Values.size();
  return n % 2 ? Values[n / 2] : (Values[n / 2 - 1] + Values[n / 2]) / 2;
}

// One run of Command with its standard output sent to OutputPath (/dev/null by default)
// and its standard error discarded.
inline TRun RunOnce(const std::vector<std::string>& Command, const std::string& OutputPath = "/dev/null") {
  TRun result;
  std::fflush(stdout);  // the child must not print what is still buffered here
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    if (!std::freopen(OutputPath.c_str(), "w", stdout) || !std::freopen("/dev/null", "w", stderr)) _exit(127);
    std::vector<char*> argv;
    for (const std::string& a : Command) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  result.Ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  result.Ok = WIFEXITED(status) && WEXITSTATUS(status) != 127;
  const auto toMs = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1000 + t.tv_usec / 1000.0; };
  result.CpuMs = toMs(usage.ru_utime) + toMs(usage.ru_stime);
  result.PeakKb = usage.ru_maxrss;
  return result;
}

// Processor time in milliseconds of one run of Command and of every process it started,
// even those it left running when it ended: this process takes them over as their
// reaper and waits for them all.
inline double TreeCpuMs(const std::vector<std::string>& Command) {
  prctl(PR_SET_CHILD_SUBREAPER, 1);
  const auto total = [] {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto toMs = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1000 + t.tv_usec / 1000.0; };
    return toMs(usage.ru_utime) + toMs(usage.ru_stime);
  };
  const double before = total();
  RunOnce(Command);
  while (waitpid(-1, nullptr, 0) > 0) {
  }
  return total() - before;
}

// Best wall time, best processor time and largest peak memory of Runs runs.
inline TRun MeasureBest(const std::vector<std::string>& Command, int Runs) {
  TRun best;
  best.Ms = best.CpuMs = 1e300;
  for (int r = 0; r < Runs; ++r) {
    const TRun run = RunOnce(Command);
    best.Ok = best.Ok && run.Ok;
    best.Ms = std::min(best.Ms, run.Ms);
    best.CpuMs = std::min(best.CpuMs, run.CpuMs);
    best.PeakKb = std::max(best.PeakKb, run.PeakKb);
  }
  return best;
}

// Median wall time, median processor time and largest peak memory of Runs runs.
inline TRun MeasureMedian(const std::vector<std::string>& Command, int Runs, const std::string& OutputPath = "/dev/null") {
  std::vector<double> wall, cpu;
  TRun median;
  for (int r = 0; r < Runs; ++r) {
    const TRun run = RunOnce(Command, OutputPath);
    median.Ok = median.Ok && run.Ok;
    wall.push_back(run.Ms);
    cpu.push_back(run.CpuMs);
    median.PeakKb = std::max(median.PeakKb, run.PeakKb);
  }
  median.Ms = Median(wall);
  median.CpuMs = Median(cpu);
  return median;
}

// Writes the bytes that Make returns into Path from a child process. A child's peak
// memory counts the memory of the process it was forked from, so the measuring process
// keeps itself small by never holding a generated file.
template <class F>
void WriteFileInChild(const std::string& Path, F Make) {
  std::fflush(stdout);
  const pid_t maker = fork();
  if (maker == 0) {
    std::ofstream(Path, std::ios::binary) << Make();
    _exit(0);
  }
  int status = 0;
  waitpid(maker, &status, 0);
}

// True when Program is an executable file in one of PATH's folders.
inline bool OnPath(const std::string& Program) {
  const char* path = std::getenv("PATH");
  if (!path) return false;
  const std::string dirs = path;
  for (size_t start = 0; start <= dirs.size();) {
    const size_t end = std::min(dirs.find(':', start), dirs.size());
    if (access((dirs.substr(start, end - start) + "/" + Program).c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace bench
