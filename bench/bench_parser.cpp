// Builds a synthetic Matroska file with tens of thousands of chapter atoms and simple tags
// in a temporary folder, parses it, and prints the wall time and the read system calls.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "BenchEbml.h"

#include "matroska/MatroskaHelper.h"
#include "report/LogWriter.h"

using namespace ambrel;

namespace {

using bench::Element;

std::string Uint(uint32_t id, uint64_t value) {
  std::string data;
  for (int i = 7; i >= 0; --i) data += static_cast<char>((value >> (8 * i)) & 0xFF);
  return Element(id, data);
}

std::string BuildFile(int atoms, int simpleTags) {
  std::string header = Element(0x1A45DFA3, Element(0x4282, "matroska") + Uint(0x4285, 1));
  std::string info = Element(0x1549A966, Uint(0x2AD7B1, 1000000) + Element(0x4D80, "bench"));
  std::string tracks;
  for (int t = 1; t <= 4; ++t)
    tracks += Element(0xAE, Uint(0xD7, t) + Uint(0x83, 2) + Element(0x86, "A_PCM/INT/LIT") +
                                Element(0xE1, Uint(0x9F, 2)));
  std::string edition;
  for (int a = 0; a < atoms; ++a)
    edition += Element(0xB6, Uint(0x73C4, a + 1) + Uint(0x91, uint64_t(a) * 1000000000) +
                                 Element(0x80, Element(0x85, "Chapter " + std::to_string(a)) + Element(0x437C, "eng")));
  std::string tag;
  for (int s = 0; s < simpleTags; ++s)
    tag += Element(0x67C8, Element(0x45A3, "NAME" + std::to_string(s)) + Element(0x4487, "value " + std::to_string(s)));
  const std::string segment = Element(0x1549A966, "") + info + Element(0x1654AE6B, tracks) +
                              Element(0x1043A770, Element(0x45B9, edition)) +
                              Element(0x1254C367, Element(0x7373, tag)) + Element(0x1F43B675, Uint(0xE7, 0));
  return header + Element(0x18538067, segment);
}

}  // namespace

int main() {
  const int atoms = 50000, simpleTags = 50000;
  const std::string bytes = BuildFile(atoms, simpleTags);
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("ambrel_bench_parser_" + std::to_string(getpid()) + ".mkv");
  std::ofstream(path, std::ios::binary) << bytes;

  const auto start = std::chrono::steady_clock::now();
  TTxtWriter log;
  TFileReader file(path.string());
  TMatroskaReader reader(file, log);
  const bool result = reader.Parse();
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();

  std::printf("file: %zu bytes, %d chapter atoms, %d simple tags\n", bytes.size(), atoms, simpleTags);
  std::printf("parse: %s, %.1f ms, %llu read system calls, log %zu bytes\n", result ? "true" : "false", ms,
              static_cast<unsigned long long>(file.ReadSystemCalls()), log.GetText().size());
  std::printf("records: %zu atoms, %zu simple tags\n", reader.Editions.empty() ? 0 : reader.Editions[0].ChapterAtoms.size(),
              reader.Tags.empty() ? 0 : reader.Tags[0].SimpleTags.size());
  std::filesystem::remove(path);
  return result ? 0 : 1;
}
