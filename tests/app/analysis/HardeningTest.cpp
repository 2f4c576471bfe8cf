// The file report as a window, a worker thread or a batch would use it: under the user's
// locale, stopped half-way, with data files that are not what they seem.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <clocale>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "CommaLocale.h"
#include "MemoryBudget.h"
#include "TempDir.h"
#include "app/TestTables.h"
#include "app/analysis/FriendlyNames.h"
#include "app/analysis/MatroskaReport.h"
#include "app/analysis/ReportAssembly.h"
#include "app/analysis/SectionsReader.h"
#include "codecdb/XmlCodecDB.h"
#include "base/FloatFormat.h"
#include "io/DataFile.h"

using namespace ambrel;
using ambrel::testing::TTables;

namespace {

const std::string kData = AMBREL_TEST_DATA_DIR;

// The text report and parsing log of a sample, named as the command line names it.
std::pair<std::string, std::string> Analyse(const std::string& name, const TAnalysisContext& context) {
  const std::filesystem::path cwd = std::filesystem::current_path();
  std::filesystem::current_path(kData);
  TReportWriters writers;
  WriteMatroskaInfo(name, writers.FReportWriter, writers.FParsingLog, context);
  std::filesystem::current_path(cwd);
  return {writers.FReportText.GetText(), writers.FParsingLog.GetText()};
}

}  // namespace

TEST(Locale, ReportsAreTheSameUnderADecimalCommaLocale) {
  TTables tables;
  TCommaLocale comma;
  if (!comma.Active()) GTEST_SKIP() << "no de_DE locale on this machine (scripts/make-locales.sh makes one)";
  ASSERT_EQ(std::string(std::localeconv()->decimal_point), ",");
  EXPECT_EQ(FormatFileSize(1536), "1.50 KB");
  EXPECT_EQ(FloatToStrGeneral(44100.5), "44100.5");
  EXPECT_EQ(FloatToStrGeneral(1.5e-7), "1.5E-7");
  for (const char* name : {"sample.mkv", "audio.mka", "vfw_acm.mkv", "late_meta.mkv"}) {
    const auto [text, log] = Analyse(name, tables.Context);
    EXPECT_EQ(text, ReadFile(kData + "/expected/" + name + ".txt")) << name;
    EXPECT_EQ(log, ReadFile(kData + "/expected/" + name + ".log")) << name;
  }
}

// A stopped analysis reports what it read, then says that it was stopped.
TEST(Cancellation, TheReportEndsWithWhatWasReadAndTheLine) {
  TTables tables;
  const TTempDir temp("ambrel_cancel");
  std::string tracks;
  for (int i = 0; i < 40000; ++i)
    tracks += std::string("\xAE\x86\xD7\x81", 4) + static_cast<char>(1 + i % 100) + std::string("\x83\x81\x01", 3);
  const std::string head = std::string("\x1A\x45\xDF\xA3\x8B\x42\x82\x88matroska", 16) +
                           std::string("\x18\x53\x80\x67\x01\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 12);
  const std::string tracksSize = std::string("\x01", 1) + std::string(4, '\0') +
                                 static_cast<char>(tracks.size() >> 16) + static_cast<char>(tracks.size() >> 8) +
                                 static_cast<char>(tracks.size());
  const std::string file = temp.Write("many.mkv", head + "\x16\x54\xAE\x6B" + tracksSize + tracks +
                                                      std::string("\x1F\x43\xB6\x75\x80", 5));

  std::atomic<bool> cancel{false};
  TParseControl control;
  control.OnProgress = [&](int64_t position, int64_t) { cancel = position > 65536; };
  control.Cancel = &cancel;
  TReportWriters writers;
  EXPECT_FALSE(WriteMatroskaInfo(file, writers.FReportWriter, writers.FParsingLog, tables.Context, &control));
  const std::string text = writers.FReportText.GetText();
  const std::string log = writers.FParsingLog.GetText();
  EXPECT_NE(text.find("Tracks : "), std::string::npos);
  EXPECT_NE(text.find("Track 1 : Video"), std::string::npos);
  EXPECT_EQ(text.find("Track 40000 : "), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 21), "Analysis cancelled.\r\n");
  EXPECT_EQ(log.substr(log.size() - 21), "Analysis cancelled.\r\n");
  EXPECT_NE(writers.FReportHTML.GetText().find("Analysis cancelled.<br />"), std::string::npos);

  // Run to its end, the same file gives every track and no such line.
  TReportWriters whole;
  WriteMatroskaInfo(file, whole.FReportWriter, whole.FParsingLog, tables.Context);
  EXPECT_NE(whole.FReportText.GetText().find("Track 40000 : Video"), std::string::npos);
  EXPECT_EQ(whole.FReportText.GetText().find("cancelled"), std::string::npos);
}

// Files dense in tiny elements: every record and every line costs, so the whole analysis
// must stay within a memory budget (an empty TrackEntry is two bytes of input).
TEST(Budget, DenseTrackEntriesStayWithinMemory) {
  if (!kMemoryBudgetAvailable) GTEST_SKIP() << "address-space budget not enforceable under a sanitizer";
  TTables tables;
  const TTempDir temp("ambrel_dense");
  std::string entries;
  for (int i = 0; i < 524288; ++i) entries += "\xAE\x80";
  const std::string head = std::string("\x1A\x45\xDF\xA3\x8B\x42\x82\x88matroska", 16) +
                           std::string("\x18\x53\x80\x67\x01\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 12);
  const std::string size = std::string("\x01\x00\x00\x00\x00", 5) + static_cast<char>(entries.size() >> 16) +
                           static_cast<char>(entries.size() >> 8) + static_cast<char>(entries.size());
  const std::string file =
      temp.Write("dense.mkv", head + "\x16\x54\xAE\x6B" + size + entries + std::string("\x1F\x43\xB6\x75\x80", 5));
  // 1 MB of empty entries: about 180 MB of records and report text; the limit is what the
  // analysis adds to the process, whatever earlier tests left mapped. A full-size record
  // and a few temporary strings per entry would need about 290 MB.
  const uint64_t kBudget = 230u << 20;
  EXPECT_TRUE(RunsWithinMemory(kBudget, [&] {
    TReportWriters writers;
    return WriteMatroskaInfo(file, writers.FReportWriter, writers.FParsingLog, tables.Context) &&
           writers.FReportText.GetText().find("Tracks : 524288") != std::string::npos;
  }));
}

// Data files beside the executable: only regular files of a sane size are read, nothing
// blocks, and a file that is there but unusable says why.
TEST(DataFiles, OnlyRegularFilesOfASaneSizeAreLoaded) {
  const TTempDir dir("ambrel_data");
  ASSERT_EQ(mkfifo((dir / "CodecsDB.xml").c_str(), 0600), 0);  // would block a plain open
  TXmlCodecDB db;
  std::string error;
  EXPECT_TRUE(LoadCodecDB(db, dir.Path().string(), &error));
  EXPECT_EQ(error, "Cannot open file \"" + (dir / "CodecsDB.xml") + "\". Not a regular file");
  TCodecFilterMatch match;
  db.FindFirstFilter("A_AAC/MPEG4/LC", "", match);
  EXPECT_TRUE(match.Found);  // the embedded database answers

  std::filesystem::resize_file(dir.Write("CodecsFriendlyNames.ini", "A_AAC=Mine\r\n"), platform::kMaxDataFileSize + 1);
  TFriendlyNames names;
  error.clear();
  names.Load(dir.Path().string(), &error);
  EXPECT_EQ(error, "Cannot open file \"" + (dir / "CodecsFriendlyNames.ini") + "\". File is larger than " +
                       std::to_string(platform::kMaxDataFileSize) + " bytes");
  EXPECT_EQ(names.LookupFriendlyName("A_VORBIS"), "Vorbis (A_VORBIS)");

  // Where the executable lives is unknown: the working folder is not looked at.
  const TTempDir cwdDir("ambrel_cwd");
  cwdDir.Write("CodecsFriendlyNames.ini", "A_VORBIS=From the working folder\r\n");
  const std::filesystem::path cwd = std::filesystem::current_path();
  std::filesystem::current_path(cwdDir.Path());
  error.clear();
  names.Load("", &error);
  std::filesystem::current_path(cwd);
  EXPECT_EQ(error, "");
  EXPECT_EQ(names.LookupFriendlyName("A_VORBIS"), "Vorbis (A_VORBIS)");
}

// The indexed table answers as the table read in order: first row, any ASCII case.
TEST(DataFiles, FriendlyNamesIndexKeepsTheFirstRow) {
  TFriendlyNames names;
  names.LoadFromBytes("[A]\nxvid=First\nXVID=Second\nnoequals\n=Empty key\nDIV3=\n");
  EXPECT_EQ(names.LookupFriendlyName("XviD"), "First (XviD)");
  EXPECT_EQ(names.LookupFriendlyName(""), "Empty key ()");
  EXPECT_EQ(names.LookupFriendlyName("DIV3"), "DIV3");  // a row with an empty name
  EXPECT_EQ(names.LookupFriendlyName("noequals"), "noequals");
  TFriendlyNames copy = names;
  names.LoadFromBytes("XVID=Reloaded");
  EXPECT_EQ(names.LookupFriendlyName("xvid"), "Reloaded (xvid)");
  EXPECT_EQ(copy.LookupFriendlyName("xvid"), "First (xvid)");  // its own lines, not the reloaded ones
  const TFriendlyNames moved = std::move(copy);
  EXPECT_EQ(moved.LookupFriendlyName("Div3"), "Div3");
  EXPECT_EQ(moved.LookupFriendlyName("XVID"), "First (XVID)");
}
