// The tables of a run: the embedded ones are loaded when an analysis first asks for
// them, by whichever thread comes first, once; data files beside the executable are read
// at once and replace them.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "TempDir.h"
#include "app/analysis/AnalysisTables.h"
#include "app/analysis/FriendlyNames.h"
#include "codecdb/XmlCodecDB.h"

using namespace ambrel;

namespace {

// "name guid" of every hit of a query.
std::string Query(const TXmlCodecDB& db, const std::string& codecID) {
  std::string hits;
  TCodecFilterMatch match;
  for (db.FindFirstFilter(codecID, "", match); match.Found; db.FindNextFilter(match))
    hits += GetChildValue(match.Codec, "name") + " " + match.Filter->Properties().PropertyValue("guid", "") + "\n";
  return hits;
}

}  // namespace

// Run in a process of its own (ctest and the ThreadSanitizer job do so), the threads
// below are the first to ask for the embedded tables; ThreadSanitizer watches the loading.
TEST(Tables, EmbeddedTablesLoadOnceOnFirstUseFromAnyThread) {
  std::ostringstream err;
  const TAnalysisTables tables("", err);
  EXPECT_EQ(err.str(), "");
  const TAnalysisContext context = tables.Context();

  constexpr int kThreads = 6;
  std::vector<const void*> namesSeen(kThreads), dbSeen(kThreads);
  std::vector<std::string> answers(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      // Half the threads start with the database, half with the names.
      const TXmlCodecDB* db = nullptr;
      const TFriendlyNames* names = nullptr;
      if (t % 2 == 0) db = &context.CodecDB.Get();
      names = &context.FriendlyNames.Get();
      if (!db) db = &context.CodecDB.Get();
      namesSeen[t] = names;
      dbSeen[t] = db;
      answers[t] = names->LookupFriendlyName("A_VORBIS") + "\n" + Query(*db, "A_VORBIS");
    });
  }
  for (std::thread& thread : threads) thread.join();

  TFriendlyNames names;
  names.Load("");
  TXmlCodecDB db;
  LoadCodecDB(db, "", nullptr);
  const std::string expected = names.LookupFriendlyName("A_VORBIS") + "\n" + Query(db, "A_VORBIS");
  ASSERT_NE(Query(db, "A_VORBIS"), "");
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(answers[t], expected) << "thread " << t;
  EXPECT_EQ(std::set<const void*>(namesSeen.begin(), namesSeen.end()).size(), 1u);
  EXPECT_EQ(std::set<const void*>(dbSeen.begin(), dbSeen.end()).size(), 1u);
  // Every run of the process shares them.
  EXPECT_EQ(&TAnalysisTables("", err).Context().CodecDB.Get(), dbSeen[0]);
}

TEST(Tables, DataFilesBesideTheExecutableReplaceTheEmbeddedTables) {
  TTempDir dir("ambrel_tables");
  dir.Write("CodecsFriendlyNames.ini", "[MatroskaAudio]\r\nA_VORBIS=Mine\r\n");
  dir.Write("CodecsDB.xml",
            "<codecdb><codecs><codec><name>Local</name><filters><filter guid=\"{L}\"><matroskaids>"
            "<id>A_VORBIS</id></matroskaids></filter></filters></codec></codecs></codecdb>");
  std::ostringstream err;
  const TAnalysisTables tables(dir.Path().string(), err);
  EXPECT_EQ(err.str(), "");
  const TAnalysisContext context = tables.Context();
  EXPECT_EQ(context.FriendlyNames.Get().LookupFriendlyName("A_VORBIS"), "Mine (A_VORBIS)");
  EXPECT_EQ(context.FriendlyNames.Get().LookupFriendlyName("V_MPEG4/ISO/AVC"), "V_MPEG4/ISO/AVC");  // never merged
  EXPECT_EQ(Query(context.CodecDB, "A_VORBIS"), "Local {L}\n");
  EXPECT_NE(&context.CodecDB.Get(), &EmbeddedCodecDB());
}

TEST(Tables, UnusableDataFilesAreSaidAtOnceAndTheEmbeddedTablesAnswer) {
  TTempDir dir("ambrel_tables_bad");
  std::filesystem::create_directory(dir / "CodecsFriendlyNames.ini");
  dir.Write("CodecsDB.xml", "<codecdb><codecs></codec></codecdb>");
  std::ostringstream err;
  const TAnalysisTables tables(dir.Path().string(), err);
  // Said before any analysis asks for a table.
  EXPECT_EQ(err.str(), "ambrel-cli: Cannot open file \"" + (dir / "CodecsFriendlyNames.ini") +
                           "\". Is a directory\n"
                           "ambrel-cli: Invalid XML Element: Erroneous end of tag, expecting </codecs> but "
                           "</codec> found.\n");
  const TAnalysisContext context = tables.Context();
  EXPECT_EQ(&context.CodecDB.Get(), &EmbeddedCodecDB());
  EXPECT_EQ(&context.FriendlyNames.Get(), &TFriendlyNames::Embedded());
  EXPECT_EQ(context.FriendlyNames.Get().LookupFriendlyName("A_VORBIS"), "Vorbis (A_VORBIS)");
}
