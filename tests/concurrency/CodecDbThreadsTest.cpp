// The tree of a codec database that answers from its table is rebuilt on the first
// query that needs it; threads asking at once share one rebuild.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "codecdb/XmlCodecDB.h"

using namespace ambrel;

TEST(FilterTable, TreeRebuiltOnceWhenThreadsAskAtOnce) {
  TXmlCodecDB db;
  ASSERT_TRUE(LoadCodecDB(db, "", nullptr));
  std::vector<std::string> names(4);
  std::vector<std::thread> threads;
  for (size_t t = 0; t < names.size(); ++t) {
    threads.emplace_back([&db, &names, t] {
      TCodecFilterMatch match;
      db.FindFirstFilter("A_VORBIS", "", match);
      names[t] = match.Found ? GetChildValue(match.Codec, "name") : "";
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (const std::string& name : names) EXPECT_EQ(name, names[0]);
  EXPECT_FALSE(names[0].empty());
}
