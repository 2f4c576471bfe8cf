// The samples' reports and parsing logs read against the committed dumps of another
// Matroska reader: every position the log names is an element of the dump (holding the
// ID the log gives), and the report's tracks, codec ids and duration are the dump's. The
// expected files are made by this program; these checks are not.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <set>

#include "CliInProcess.h"
#include "TempDir.h"

namespace {

const std::string kData = AMBREL_TEST_DATA_DIR;

struct TDump {
  std::set<long long> Positions;
  std::vector<std::string> Types, Codecs;  // per track, in order
  long long DurationNs = -1;
};

long long Nanoseconds(const std::smatch& m) {  // hours, minutes, seconds, fraction
  std::string fraction = m[4].str();
  fraction.resize(9, '0');
  return ((std::stoll(m[1]) * 60 + std::stoll(m[2])) * 60 + std::stoll(m[3])) * 1000000000LL + std::stoll(fraction);
}

TDump ReadDump(const std::string& text) {
  static const std::regex element(R"(^[| ]*\+ (.*) at (\d+)$)");
  static const std::regex duration(R"(^\| \+ Duration: (\d+):(\d+):(\d+)\.(\d+))");
  TDump dump;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::smatch m;
    if (!std::regex_match(line, m, element)) continue;
    dump.Positions.insert(std::stoll(m[2]));
    const std::string what = m[1];
    if (line.starts_with("| + Track at")) dump.Types.emplace_back(), dump.Codecs.emplace_back();
    if (what.starts_with("Track type: ") && !dump.Types.empty()) dump.Types.back() = what.substr(12);
    if (what.starts_with("Codec ID: ") && !dump.Codecs.empty()) dump.Codecs.back() = what.substr(10);
    if (std::regex_search(line, m, duration)) dump.DurationNs = Nanoseconds(m);
  }
  return dump;
}

TEST(MkvinfoDumps, LogPositionsAndReportAgreeWithTheDumps) {
  const std::map<std::string, std::string> kTypes = {{"video", "Video"}, {"audio", "Audio"}, {"subtitles", "Subtitles"}};
  int samples = 0, positions = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kData)) {
    const std::string dumpPath = entry.path().string();
    if (!dumpPath.ends_with(".mkvinfo.txt")) continue;
    const std::string sample = dumpPath.substr(0, dumpPath.size() - 12);
    SCOPED_TRACE(sample);
    ++samples;
    const TDump dump = ReadDump(ReadFile(dumpPath));
    ASSERT_FALSE(dump.Positions.empty());
    const std::string bytes = ReadFile(sample);

    const std::string log = RunCli({"--no-render", "--log", sample}).out;
    static const std::regex skipped(R"(Skipping element with ID ([0-9A-F]+) at position (\d+))");
    for (std::sregex_iterator it(log.begin(), log.end(), skipped), end; it != end; ++it) {
      const long long at = std::stoll((*it)[2]);
      const std::string id = (*it)[1];
      if (id == "BF") continue;  // the dumps leave out CRC-32 elements
      EXPECT_TRUE(dump.Positions.count(at)) << "no element at " << at;
      std::string found;
      for (size_t i = 0; i < id.size() / 2 && at + i < bytes.size(); ++i) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned char>(bytes[at + i]));
        found += hex;
      }
      EXPECT_EQ(found, id) << "at " << at;
      ++positions;
    }

    const TCliResult run = RunCli({"--no-render", sample});
    if (run.status != 0) continue;  // a file the parse refuses has no tracks to compare
    const std::string& report = run.out;
    std::smatch m;
    if (std::regex_search(report, m, std::regex(R"(\nTracks : (\d+)\r)"))) {
      EXPECT_EQ(std::stoul(m[1]), dump.Types.size());
    } else {
      EXPECT_TRUE(dump.Types.empty());
    }
    std::vector<std::string> types, codecs;
    static const std::regex track(R"(\nTrack \d+ : (\w+)\r)"), codec(R"(\n   - Codec : (?:.* \()?([^ ()]+)\)?\r)");
    for (std::sregex_iterator it(report.begin(), report.end(), track), end; it != end; ++it) types.push_back((*it)[1]);
    for (std::sregex_iterator it(report.begin(), report.end(), codec), end; it != end; ++it) codecs.push_back((*it)[1]);
    std::vector<std::string> dumpTypes;
    for (const std::string& type : dump.Types) dumpTypes.push_back(kTypes.count(type) ? kTypes.at(type) : type);
    EXPECT_EQ(types, dumpTypes);
    EXPECT_EQ(codecs, dump.Codecs);

    // The report gives milliseconds, rounded.
    if (std::regex_search(report, m, std::regex(R"(\nDuration : (\d+):(\d+):(\d+)\.(\d+)\r)"))) {
      EXPECT_LE(std::llabs(Nanoseconds(m) - dump.DurationNs), 500000) << m[0];
    } else {
      EXPECT_EQ(dump.DurationNs, -1);
    }
  }
  EXPECT_GE(samples, 18);
  EXPECT_GE(positions, 50);
}

}  // namespace
