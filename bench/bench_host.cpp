// What the framework host process costs, apart from the framework's own work: each
// measure runs the same questions through a host process (TFrameworkHost) and over a
// framework of this process (TLocalFrameworkSections), alternately, and prints the medians
// in milliseconds and their difference.
// - A host's start (spawn, program start, first answer) and its end (kill and reap), over
//   a scripted world and over the platform's framework (whose start is GStreamer's).
// - One file's questions (announce, start, three filters' install state, the RenderFile
//   check and the detailed rendering) with a host kept from file to file: over the
//   committed worlds, where the framework's work is small and the difference is the
//   host's, and over every sample with the platform's framework.
// Usage: bench_host [ROUNDS]   (default 31)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "BenchProcess.h"
#include "host/FrameworkHost.h"
#include "dshow/FrameworkSections.h"
#include "media/world/MediaWorld.h"

using namespace ambrel;

namespace {

using TClock = std::chrono::steady_clock;

double MsSince(TClock::time_point Start) {
  return std::chrono::duration<double, std::milli>(TClock::now() - Start).count();
}

const char* const kClsids[] = {"{149D2E01-C32E-4939-80F6-C07B81015A7A}", "{9AB95E90-1F37-427E-9B3D-257FB0CB25F7}",
                               "{00000000-0000-0000-0000-000000000000}"};

// One file's questions, as an analysis asks them; the time they take.
double AskFile(IFrameworkSections& Fw, const std::string& File) {
  const auto start = TClock::now();
  Fw.BeginFile();
  Fw.Prepare(File);
  Fw.Start();
  for (const char* clsid : kClsids) Fw.FilterInstall(clsid);
  const TRenderFileCheck check = Fw.CheckRenderFile(File);
  const TRenderRun run = Fw.RenderDetailed(File);
  const double ms = MsSince(start);
  if (!check.Stopped.empty() || !run.Stopped.empty()) std::fprintf(stderr, "%s: %s\n", File.c_str(), run.Stopped.c_str());
  return ms;
}

void PrintRow(const std::string& Name, const std::vector<double>& Host, const std::vector<double>& Local) {
  const double host = bench::Median(Host), local = bench::Median(Local);
  std::printf("%-34s %9.2f ms %9.2f ms %9.2f ms\n", Name.c_str(), host, local, host - local);
}

std::string ReadText(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 31;
  const std::string hostPath = AMBREL_BENCH_HOST_PATH;
  const std::string data = AMBREL_BENCH_DATA_DIR;
  const std::string sample = data + "/sample.mkv";

  std::printf("%-34s %12s %12s %12s\n", "", "host", "in-process", "host cost");

  // A host's start and end, over a world and over the platform's framework.
  const std::string desktop = ReadText(data + "/worlds/desktop.json");
  for (const bool platform : {false, true}) {
    std::vector<double> starts, ends;
    for (int r = 0; r < rounds; ++r) {
      auto start = TClock::now();
      auto host = std::make_unique<host::TFrameworkHost>(hostPath, platform ? std::nullopt : std::optional(desktop));
      host->Prepare(sample);
      host->Start();
      starts.push_back(MsSince(start));
      if (platform) host->FilterInstall(kClsids[0]);  // as a file's first question would
      start = TClock::now();
      host.reset();
      ends.push_back(MsSince(start));
    }
    const char* what = platform ? "(platform)" : "(world)";
    std::printf("%-34s %9.2f ms\n", (std::string("host start to first answer ") + what).c_str(), bench::Median(starts));
    std::printf("%-34s %9.2f ms\n", (std::string("host end ") + what).c_str(), bench::Median(ends));
  }

  // One file's questions over each committed world.
  for (const auto& entry : std::filesystem::directory_iterator(data + "/worlds")) {
    if (entry.path().extension() != ".json") continue;
    const std::string text = ReadText(entry.path().string());
    media::TMediaWorldLoad world = media::LoadMediaWorldText(text);
    if (!world.MakeAnother) continue;
    host::TFrameworkHost host(hostPath, text);
    TLocalFrameworkSections local(world.MakeAnother, true);
    std::vector<double> viaHost, inProcess;
    AskFile(host, sample);
    AskFile(local, sample);
    for (int r = 0; r < rounds; ++r) {
      viaHost.push_back(AskFile(host, sample));
      inProcess.push_back(AskFile(local, sample));
    }
    PrintRow("a file, world " + entry.path().filename().string(), viaHost, inProcess);
  }

  // One file's questions over the platform's framework, every sample.
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(data)) {
    const std::string ext = entry.path().extension().string();
    if (ext == ".mkv" || ext == ".mka" || ext == ".mks" || ext == ".webm") files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  host::TFrameworkHost host(hostPath, std::nullopt);
  TLocalFrameworkSections local(
      [] { return media::CreateDefaultMediaFramework(media::TFrameworkStart::FirstQuestion); });
  std::vector<std::vector<double>> viaHost(files.size()), inProcess(files.size());
  for (const std::string& file : files) {  // the frameworks start, their plugins load
    AskFile(host, file);
    AskFile(local, file);
  }
  std::vector<double> costs;
  for (int r = 0; r < rounds; ++r) {
    for (size_t i = 0; i < files.size(); ++i) {
      viaHost[i].push_back(AskFile(host, files[i]));
      inProcess[i].push_back(AskFile(local, files[i]));
    }
  }
  for (size_t i = 0; i < files.size(); ++i) {
    PrintRow("a file, " + std::filesystem::path(files[i]).filename().string(), viaHost[i], inProcess[i]);
    costs.push_back(bench::Median(viaHost[i]) - bench::Median(inProcess[i]));
  }
  const double cost = bench::Median(costs);
  std::printf("host cost per file, median over the samples: %.2f ms %s\n", cost, cost <= 2 ? "PASS" : "FAIL");
  return 0;
}
