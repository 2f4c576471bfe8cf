// ambrel-cli's options: usage errors that name what is wrong, and the help text.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "CliInProcess.h"
#include "app/cli/FilePatterns.h"
#include "TempDir.h"

TEST(CommandLineOptions, UsageErrorsNameWhatIsWrong) {
  const auto usage = [](std::vector<std::string> args, const std::string& says) {
    const TCliResult run = RunCli(args);
    EXPECT_EQ(run.status, 2) << says;
    EXPECT_EQ(run.out, "") << says;
    EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Usage: ambrel-cli"), std::string::npos);
  };
  usage({}, "no file given");
  usage({"--bogus", "x.mkv"}, "--bogus");
  usage({"--save"}, "--save");
  usage({"--jobs"}, "--jobs");
  usage({"--jobs", "0", "x.mkv"}, "--jobs");
  usage({"--jobs", "two", "x.mkv"}, "--jobs");
  usage({"--html", "--json", "x.mkv"}, "--html");
  usage({"--codec", "A_AAC", "x.mkv"}, "--codec");
  usage({"--fourcc", "XVID"}, "--fourcc");
  usage({"--summary", "--save", "/tmp", "a.mkv"}, "--summary");
  usage({"--filters", "a.mkv"}, "--filters");
  usage({"--filters", "--log"}, "--filters");
  usage({"--system-info", "a.mkv"}, "--system-info");
  usage({"--media-world"}, "--media-world");
  usage({"--media-world", "no-such-world.json", "a.mkv"}, "media world refused");
  // After "--" a name that looks like an option is a file.
  const TCliResult dashed = RunCli({"--no-render", "--", "--html"});
  EXPECT_EQ(dashed.status, 1);
  EXPECT_NE(dashed.out.find("Can't open file --html"), std::string::npos);
}

TEST(CommandLineOptions, HelpListsEveryOptionOnOneLine) {
  const TCliResult help = RunCli({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"--html", "--log", "--json", "--save DIR", "--jobs N", "--recursive", "--codec CODECID",
                             "--fourcc FOURCC", "--codec-db DB", "--check-codecdb FILE", "--media-world WORLD", "--no-render", "--summary", "--filters", "--system-info", "--dump-xml FILE", "--version", "-h,--help"}) {
    const size_t at = help.out.find(std::string("  ") + option);
    ASSERT_NE(at, std::string::npos) << option;
    const size_t end = help.out.find('\n', at);
    // The option's line carries its description.
    EXPECT_GT(end - at, std::string(option).size() + 10) << option;
  }
  EXPECT_EQ(RunCli({"--version"}).out, "ambrel-cli 0.1.0\n");
}

// The report flags and file names alone are read without the full parser; every such
// command line must do what the full parser makes of it ("--jobs 1" sends the same line
// through the full parser without changing what it does).
TEST(CommandLineOptions, ReportFlagsReadEitherWayDoTheSame) {
  const std::string sample = std::string(AMBREL_TEST_DATA_DIR) + "/sample.mkv";
  const std::string audio = std::string(AMBREL_TEST_DATA_DIR) + "/audio.mka";
  const std::vector<std::vector<std::string>> lines = {
      {"--no-render", sample},         {sample, "--no-render"},          {"--no-render", "--html", sample},
      {"--log", sample, "--no-render"}, {"--no-render", "--json", sample, audio}, {"--no-render", "missing.mkv"},
      {"--no-render"},                 {"--html", "--log", sample},      {"--no-render", "--no-render", sample},
      {"--version"},                   {"--version", "--html", sample}};
  for (const std::vector<std::string>& line : lines) {
    std::vector<std::string> full = line;
    full.insert(full.begin(), {"--jobs", "1"});
    const TCliResult quick = RunCli(line);
    const TCliResult parsed = RunCli(full);
    std::string shown;
    for (const std::string& arg : line) shown += arg + " ";
    EXPECT_EQ(quick.status, parsed.status) << shown;
    EXPECT_EQ(quick.out, parsed.out) << shown;
    EXPECT_EQ(quick.err, parsed.err) << shown;
  }
  EXPECT_NE(RunCli({"--no-render", sample}).out.find("Vorbis (A_VORBIS)"), std::string::npos);
}

TEST(CommandLineOptions, DataFilesBesideTheProgramShapeTheReport) {
  TTempDir dir("ambrel_cli_tables");
  dir.Write("CodecsFriendlyNames.ini", "A_VORBIS=Local Vorbis\r\n");
  dir.Write("CodecsDB.xml",
            "<codecdb><codecs><codec><name>LocalDecoder</name><filters><filter guid=\"{L}\"><matroskaids>"
            "<id>A_VORBIS</id></matroskaids></filter></filters></codec></codecs></codecdb>");
  std::istringstream in;
  std::ostringstream out, err;
  const std::string sample = std::string(AMBREL_TEST_DATA_DIR) + "/sample.mkv";
  EXPECT_EQ(ambrel::RunCommandLine({"--no-render", sample}, dir.Path().string(), {in, out, err, false}), 0);
  EXPECT_EQ(err.str(), "");
  EXPECT_NE(out.str().find("Codec : Local Vorbis (A_VORBIS)"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("Possible filter : LocalDecoder"), std::string::npos) << out.str();
  EXPECT_EQ(out.str().find("CoreVorbis"), std::string::npos);
  // Without them the embedded tables answer again.
  EXPECT_NE(RunCli({"--codec-db", "directshow", "--no-render", sample}).out.find("Possible filter : CoreVorbis"),
            std::string::npos);
  // A database asked for must be one: XML with another root fails the run, as a file that
  // does not parse does.
  const std::string other = dir.Write("other.xml", "<CodecsDB><codecs/></CodecsDB>");
  const TCliResult refused = RunCli({"--codec-db", other, "--no-render", sample});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(refused.err,
            "ambrel-cli: " + other + ": not a codec database: the root element is \"CodecsDB\", not \"codecdb\"\n");
}

// Wildcard arguments, expanded by the program where the shell does not (Windows): the last
// part of the path matched against its folder's names, matches in path order, an argument
// that matches nothing kept for its analysis to refuse.
TEST(FilePatterns, ExpandEachArgumentAgainstItsFolder) {
  const auto names = [](const std::string& folder) -> std::vector<std::string> {
    if (folder == "Z:\\films\\" || folder == "Z:/films/") return {"b.mkv", "A.MKV", "a.mkvx", "c.txt", "\xC3\xA9t\xC3\xA9.mkv", "\xF0\x9F\x8E\xAC.mkv"};
    if (folder == "C:" || folder == "") return {"x.mkv", "y.webm"};
    return {};
  };
  const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> cases = {
      {{"Z:\\films\\*.mkv"},
       {"Z:\\films\\A.MKV", "Z:\\films\\b.mkv", "Z:\\films\\\xC3\xA9t\xC3\xA9.mkv", "Z:\\films\\\xF0\x9F\x8E\xAC.mkv"}},
      {{"Z:\\films\\B*", "-", "Z:\\films\\c.txt"}, {"Z:\\films\\b.mkv", "-", "Z:\\films\\c.txt"}},
      {{"Z:\\films\\?t?.mkv", "Z:\\films\\?.mkv?"}, {"Z:\\films\\\xC3\xA9t\xC3\xA9.mkv", "Z:\\films\\a.mkvx"}},
      {{"Z:/films/*.txt"}, {"Z:/films/c.txt"}},  // either separator
      {{"Z:\\films\\*.avi", "Z:\\fil*\\*.mkv", "Z:\\none\\*"},
       {"Z:\\films\\*.avi", "Z:\\fil*\\*.mkv", "Z:\\none\\*"}},  // kept as typed
      {{"C:*.webm", "*.mkv"}, {"C:y.webm", "x.mkv"}},
      {{"Z:\\films\\?.mkv"},  // a pair of surrogates is one character
       {"Z:\\films\\A.MKV", "Z:\\films\\b.mkv", "Z:\\films\\\xF0\x9F\x8E\xAC.mkv"}},
  };
  for (const auto& [args, expanded] : cases) EXPECT_EQ(ambrel::ExpandFilePatterns(args, names), expanded) << args[0];
  EXPECT_TRUE(ambrel::MatchesFilePattern(u"*a*b*c*", u"xxaxxbxxcxx"));
  EXPECT_FALSE(ambrel::MatchesFilePattern(u"*a*b*c", u"xxaxxbxxcxx"));
  EXPECT_TRUE(ambrel::MatchesFilePattern(u"?.mkv", u"\U0001F3AC.mkv"));
}
