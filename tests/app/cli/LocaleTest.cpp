// The HTML pages, JSON documents and whole analyses (rendering sections too) read the same
// under a locale with a decimal comma as under the C locale (checked by hand elsewhere).
#include <gtest/gtest.h>

#include "CliInProcess.h"
#include "CommaLocale.h"

namespace {

const std::string kData = AMBREL_TEST_DATA_DIR;

TEST(Locale, HtmlAndJsonAreTheSameUnderADecimalCommaLocale) {
  const std::vector<std::vector<std::string>> runs = {
      {"--no-render", "--html", kData + "/audio.mka"},
      {"--no-render", "--json", kData + "/sample.mkv", kData + "/audio.mka", kData + "/vfw_acm.mkv"},
      {"--media-world", kData + "/worlds/desktop.json", "--json"},
      {"--media-world", kData + "/worlds/desktop.json", "--html"},
      {"--media-world", kData + "/worlds/limits.json"},
  };
  std::vector<TCliResult> plain;
  for (const auto& args : runs) plain.push_back(RunCli(args));
  TCommaLocale comma;
  if (!comma.Active()) GTEST_SKIP() << "no de_DE locale on this machine (scripts/make-locales.sh makes one)";
  for (size_t i = 0; i < runs.size(); ++i) {
    const TCliResult run = RunCli(runs[i]);
    EXPECT_EQ(run.out, plain[i].out) << runs[i][1] << " " << runs[i][2];
    EXPECT_EQ(run.status, plain[i].status);
  }
}

}  // namespace
