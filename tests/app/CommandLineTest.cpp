// ambrel-cli's options: usage errors that name what is wrong, and the help text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CliInProcess.h"

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
  usage({"--save", "/tmp", "a.mkv", "b.mkv"}, "--save takes exactly one FILE");
  usage({"--filters", "a.mkv"}, "--filters");
  usage({"--filters", "--json"}, "--filters");
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
                             "--fourcc FOURCC", "--check-codecdb FILE", "--media-world WORLD", "--no-render", "--filters", "--system-info", "--dump-xml FILE", "--version", "-h,--help"}) {
    const size_t at = help.out.find(std::string("  ") + option);
    ASSERT_NE(at, std::string::npos) << option;
    const size_t end = help.out.find('\n', at);
    // The option's line carries its description.
    EXPECT_GT(end - at, std::string(option).size() + 10) << option;
  }
  EXPECT_EQ(RunCli({"--version"}).out, "ambrel-cli 0.1.0\n");
}
