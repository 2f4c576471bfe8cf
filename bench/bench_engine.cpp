// Benchmark: the detailed rendering over scripted worlds — a desktop-like graph, and a
// world of mutually acceptable transforms that runs into the connection-attempt limit.
// Prints the mean time per run.
#include <chrono>
#include <cstdio>
#include <string>

#include "dshow/DShowSections.h"
#include "media/world/MediaWorld.h"
#include "report/LogWriter.h"

using namespace ambrel;

namespace {

std::string TransformsWorld(int count) {
  std::string json = R"({"sources": [{"filter": "src"}], "filters": [
    {"id": "src", "name": "Source", "categories": [], "mapper": false,
     "pins": [{"name": "Out", "dir": "out", "types": ["Video/X"]}]})";
  for (int i = 0; i < count; ++i) {
    json += R"(, {"id": "t)" + std::to_string(i) + R"(", "name": "Transform )" + std::to_string(i) +
            R"(", "pins": [{"name": "In", "dir": "in", "types": ["Video/X"]}, {"name": "Out", "dir": "out", "types": ["Video/X"]}]})";
  }
  return json + "]}";
}

std::string ChainWorld(int length) {
  std::string json = R"({"sources": [{"filter": "f0"}], "filters": [)";
  for (int i = 0; i <= length; ++i) {
    if (i) json += ",";
    json += R"({"id": "f)" + std::to_string(i) + R"(", "name": "Stage )" + std::to_string(i) + R"(", "pins": [)";
    if (i) json += R"({"name": "In", "dir": "in", "types": ["T/)" + std::to_string(i) + R"("]})";
    if (i < length) json += std::string(i ? "," : "") + R"({"name": "Out", "dir": "out", "types": ["T/)" + std::to_string(i + 1) + R"("]})";
    json += "]}";
  }
  return json + "]}";
}

void Bench(const char* name, const std::string& json, int runs) {
  auto fw = media::LoadMediaWorldText(json).Framework;
  if (!fw) return;
  size_t bytes = 0;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < runs; ++i) {
    THTMLWriter html;
    TTxtWriter text;
    TMultiWriter both;
    both.AddWriter(&html);
    both.AddWriter(&text);
    WriteDetailedRenderingSection(both, RenderDetailed("a.mkv", *fw));
    bytes = text.GetText().size();
  }
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / runs;
  std::printf("%-34s %9.3f ms/run  %8zu bytes of text\n", name, ms, bytes);
}

}  // namespace

int main() {
  Bench("chain of 15 filters", ChainWorld(15), 200);
  Bench("8 mutually acceptable transforms", TransformsWorld(8), 20);
  Bench("40 mutually acceptable transforms", TransformsWorld(40), 5);
  return 0;
}
