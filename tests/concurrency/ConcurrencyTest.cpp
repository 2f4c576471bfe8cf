// Several threads share the loaded tables (friendly names, codec database, its XML
// document) and run analyses and queries at once, as the window's worker and a batch
// would. Each thread must get what a lone thread gets; ThreadSanitizer watches the rest.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "app/analysis/FriendlyNames.h"
#include "app/analysis/ReportAssembly.h"
#include "app/analysis/SectionsReader.h"
#include "codecdb/XmlCodecDB.h"

using namespace ambrel;

namespace {

constexpr int kThreads = 4;

const std::vector<std::string> kSamples = {"sample.mkv", "vfw_acm.mkv", "late_meta.mkv", "audio.mka"};

std::string Report(const std::string& name, const TAnalysisContext& context) {
  TReportWriters writers;
  WriteMatroskaInfo(std::string(AMBREL_TEST_DATA_DIR) + "/" + name, writers.FReportWriter, writers.FParsingLog,
                    context);
  return writers.FReportHTML.GetText() + writers.FReportText.GetText() + writers.FParsingLog.GetText();
}

// Every hit of a query as "name guid" lines.
std::string Query(const TXmlCodecDB& db, const std::string& codecID, const std::string& fourcc) {
  std::string hits;
  TCodecFilterMatch match;
  for (db.FindFirstFilter(codecID, fourcc, match); match.Found; db.FindNextFilter(match))
    hits += GetChildValue(match.Codec, "name") + " " + match.Filter->Properties().PropertyValue("guid", "") + "\n";
  return hits;
}

const std::vector<std::pair<std::string, std::string>> kQueries = {
    {"V_MS/VFW/FOURCC", "XVID"}, {"V_MPEG4/ISO/AVC", ""}, {"A_AAC/MPEG4/LC", ""}, {"A_VORBIS", ""}, {"S_TEXT/UTF8", ""}};

// Runs Work(thread) on kThreads threads at once.
template <class F>
void OnThreads(F Work) {
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) threads.emplace_back([&Work, t] { Work(t); });
  for (std::thread& thread : threads) thread.join();
}

}  // namespace

TEST(Concurrency, AnalysesAndQueriesShareTheLoadedTables) {
  TFriendlyNames names;
  names.Load("");
  TXmlCodecDB db;
  LoadCodecDB(db, "", nullptr);
  const TAnalysisContext context{names, db};

  // Reference results, computed on a fresh database by one thread.
  std::vector<std::string> reports, answers;
  {
    TXmlCodecDB fresh;
    LoadCodecDB(fresh, "", nullptr);
    for (const auto& [codecID, fourcc] : kQueries) answers.push_back(Query(fresh, codecID, fourcc));
  }
  for (const std::string& name : kSamples) reports.push_back(Report(name, context));
  ASSERT_FALSE(answers[0].empty());

  // The tables above were used once already; this database has never been queried, so
  // its first lookups happen on several threads together.
  TXmlCodecDB untouched;
  LoadCodecDB(untouched, "", nullptr);
  std::vector<int> mismatches(kThreads, 0);
  OnThreads([&](int t) {
    for (int round = 0; round < 3; ++round) {
      for (size_t q = 0; q < kQueries.size(); ++q) {
        const auto& [codecID, fourcc] = kQueries[(q + static_cast<size_t>(t)) % kQueries.size()];
        const size_t index = (q + static_cast<size_t>(t)) % kQueries.size();
        mismatches[t] += Query(untouched, codecID, fourcc) != answers[index];
        mismatches[t] += Query(db, codecID, fourcc) != answers[index];
      }
      for (size_t s = 0; s < kSamples.size(); ++s) {
        const size_t index = (s + static_cast<size_t>(t)) % kSamples.size();
        mismatches[t] += Report(kSamples[index], context) != reports[index];
      }
    }
  });
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(mismatches[t], 0) << "thread " << t;
}

// Named lookups on a document nobody has searched yet, from several threads at once.
TEST(Concurrency, FirstLookupsOfADocument) {
  TSimpleXml xml;
  std::string text = "<root>";
  for (int i = 0; i < 200; ++i) text += "<item" + std::to_string(i) + " a=\"" + std::to_string(i) + "\">v</item" + std::to_string(i) + ">";
  xml.LoadFromString(text + "</root>");
  const TSimpleXml& document = xml;
  std::vector<int> found(kThreads, 0);
  OnThreads([&](int t) {
    for (int i = 0; i < 200; ++i) {
      const TSimpleXmlElem* item = document.Root().Items().FindItem("ITEM" + std::to_string((i + t * 50) % 200));
      if (item && item->Properties().PropertyValue("A", "") == std::to_string((i + t * 50) % 200)) ++found[t];
    }
  });
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(found[t], 200) << "thread " << t;
}
