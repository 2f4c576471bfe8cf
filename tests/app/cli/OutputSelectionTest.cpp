// Each output of a file analysis built on its own (the command line builds only the one
// it prints, without the parsing log unless it prints that) is byte for byte what it is
// when every output is built together (the window, --save): on the samples and on
// damaged, hostile and dense files.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "TempDir.h"
#include "app/TestTables.h"
#include "app/analysis/MatroskaReport.h"
#include "app/analysis/ReportAssembly.h"
#include "app/analysis/SectionsReader.h"
#include "app/cli/AnalysisCommand.h"
#include "app/cli/JsonReport.h"
#include "matroska/EbmlBuilder.h"
#include "base/TextUtil.h"

using namespace ambrel;
using ambrel::testing::TTables;
using namespace ebml;

namespace fs = std::filesystem;

namespace {

// Chapters with names that look like markup or carry blanks, nested and hidden atoms,
// and tags, Count of each.
std::string DenseFile(int count) {
  std::string atoms, tags;
  for (int i = 0; i < count; ++i) {
    const std::string name = i % 3 == 0 ? "<b>" + std::to_string(i) + "</b>" : i % 3 == 1 ? " spaced " : "plain";
    std::string atom = Uint(kChapterTimeStart, uint64_t(i) * 1000000000) +
                       Master(kChapterDisplay, {Str(kChapString, name), Str(0x437C, "eng")});
    if (i % 7 == 0) atom += Uint(0x98, 1) + Master(kChapterAtom, {Uint(kChapterTimeStart, uint64_t(i) * 1000000000)});
    atoms += Element(kChapterAtom, atom);
    tags += Master(kTag, {Master(kTargets, {Uint(kTargetTypeValue, 30)}),
                          Master(kSimpleTag, {Str(kTagName, "TITLE"), Str(kTagString, name)})});
  }
  const std::string track = Master(kTrackEntry, {Uint(kTrackNumber, 1), Uint(kTrackType, 2), Str(kCodecID, "A_AAC")});
  return Header() + Segment(Master(kInfo, {Uint(kTimecodeScale, 1000000), Float8(kDuration, count * 1000.0)}) +
                            Master(kTracks, {track}) + Element(kChapters, Element(kEditionEntry, atoms)) +
                            Element(kTags, tags) + Cluster());
}

// Files that end the parse in each way it can end: a wrong document type, no Segment, a
// float of a wrong length, a file cut inside its tags or its chapters, unknown elements.
std::vector<std::pair<std::string, std::string>> MadeFiles() {
  const std::string dense = DenseFile(300);
  const size_t tagsAt = dense.find(Id(kTags));
  const size_t chaptersAt = dense.find(Id(kChapters));
  return {
      {"dense.mkv", dense},
      {"cut_in_tags.mkv", dense.substr(0, tagsAt + (dense.size() - tagsAt) / 2)},
      {"cut_in_chapters.mkv", dense.substr(0, chaptersAt + 1000)},
      {"wrong_doctype.mkv", Header("avi") + Segment(Cluster())},
      {"no_segment.mkv", Header() + Master(kInfo, {})},
      {"bad_float.mkv", Header() + Segment(Master(kInfo, {Element(kDuration, "abc")}) + Cluster())},
      {"unknown.mkv", Header() + Segment(Element(0x4321, "??") + Master(kTracks, {Element(0x77, "x")}) + Cluster())},
      {"empty.mkv", ""},
  };
}

struct TOutputs {
  std::string Text, Html, Log;
};

TOutputs AllTogether(const std::string& path, const TAnalysisContext& context) {
  TReportWriters writers;
  WriteMatroskaInfo(path, writers.FReportWriter, writers.FParsingLog, context);
  return {writers.FReportText.GetText(), writers.FReportHTML.GetText(), writers.FParsingLog.GetText()};
}

TOutputs EachAlone(const std::string& path, const TAnalysisContext& context) {
  TOutputs alone;
  TNullWriter dropped;
  TTxtWriter text;
  WriteMatroskaInfo(path, text, dropped, context);
  alone.Text = text.GetText();
  THTMLWriter html;
  WriteMatroskaInfo(path, html, dropped, context);
  alone.Html = html.GetText();
  TTxtWriter log;
  WriteMatroskaInfo(path, dropped, log, context);
  alone.Log = log.GetText();
  return alone;
}

void ExpectSame(const std::string& path, const TAnalysisContext& context) {
  const TOutputs together = AllTogether(path, context);
  const TOutputs alone = EachAlone(path, context);
  EXPECT_EQ(alone.Text, together.Text) << path;
  EXPECT_EQ(alone.Html, together.Html) << path;
  EXPECT_EQ(alone.Log, together.Log) << path;
}

}  // namespace

TEST(OutputSelection, EachOutputAloneEqualsAllBuiltTogether) {
  const TTables tables;
  int samples = 0;
  for (const auto& entry : fs::directory_iterator(AMBREL_TEST_DATA_DIR)) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".mkv" && ext != ".mka" && ext != ".mks" && ext != ".webm") continue;
    ExpectSame(entry.path().string(), tables.Context);
    ++samples;
  }
  EXPECT_GE(samples, 10);
  const TTempDir temp("ambrel_outputs");
  for (const auto& [name, bytes] : MadeFiles()) ExpectSame(temp.Write(name, bytes), tables.Context);
  ExpectSame(temp / "missing.mkv", tables.Context);
}

TEST(OutputSelection, DenseFileReportsEveryChapterAndLogsEveryTag) {
  const TTables tables;
  const TTempDir temp("ambrel_outputs");
  const TOutputs out = EachAlone(temp.Write("dense.mkv", DenseFile(300)), tables.Context);
  EXPECT_NE(out.Text.find("   - 00:04:59.000 - 00:05:00.000 plain\r\n"), std::string::npos);
  EXPECT_NE(out.Text.find("   - 00:00:00.000 - 00:00:01.000 <b>0</b> (hidden)\r\n"
                          "     - 00:00:00.000 - 00:00:01.000\r\n"),
            std::string::npos)
      << out.Text.substr(0, 2000);
  EXPECT_NE(out.Html.find("<li>00:00:01.000 - 00:00:02.000 spaced</li>"), std::string::npos);  // trimmed when read
  size_t tags = 0;
  for (size_t at = out.Log.find("\r\n    Tag :\r\n"); at != std::string::npos; at = out.Log.find("\r\n    Tag :\r\n", at + 1))
    ++tags;
  EXPECT_EQ(tags, 300u);
}

// The command line's analysis prints the same bytes whether or not it also saves both
// reports (which builds every output).
TEST(OutputSelection, PrintedOutputDoesNotDependOnSaving) {
  const TTables tables;
  const TTempDir temp("ambrel_outputs");
  const std::vector<std::pair<std::string, std::string>> files = MadeFiles();
  for (const auto& [name, bytes] : {files[0], files[1], files[5]}) {
    const std::string path = temp.Write(name, bytes);
    for (const TAnalysisOutput output :
         {TAnalysisOutput::Text, TAnalysisOutput::Html, TAnalysisOutput::Log, TAnalysisOutput::Json}) {
      const std::string saveDir = temp / "saved";
      fs::create_directories(saveDir);
      const TFileAnalysis printed = AnalyseFile(path, output, nullptr, tables.Context, false);
      const TFileAnalysis saved = AnalyseFile(path, output, &saveDir, tables.Context, false);
      EXPECT_EQ(printed.Output, saved.Output) << name << " output " << static_cast<int>(output);
      EXPECT_EQ(printed.Succeeded, saved.Succeeded) << name;
    }
  }
}

// An output written out as it is made, in chunks, is the output gathered whole, whatever
// the number of chunks (the dense file's log and report span several).
TEST(OutputSelection, StreamedOutputEqualsGatheredOutput) {
  const TTables tables;
  const TTempDir temp("ambrel_outputs");
  std::vector<std::pair<std::string, std::string>> files = MadeFiles();
  files.emplace_back("denser.mkv", DenseFile(6000));
  files.emplace_back("missing.mkv", "");
  for (const auto& [name, bytes] : files) {
    const std::string path = name == "missing.mkv" ? temp / name : temp.Write(name, bytes);
    for (const TAnalysisOutput output :
         {TAnalysisOutput::Text, TAnalysisOutput::Html, TAnalysisOutput::Log, TAnalysisOutput::Json}) {
      const TFileAnalysis gathered = AnalyseFile(path, output, nullptr, tables.Context, false);
      std::ostringstream out;
      const TFileAnalysis streamed = AnalyseFile(path, output, nullptr, tables.Context, false, &out);
      EXPECT_TRUE(streamed.Output.empty());
      EXPECT_EQ(out.str(), gathered.Output) << name << " output " << static_cast<int>(output);
      EXPECT_EQ(streamed.Succeeded, gathered.Succeeded) << name;
      if (name == "denser.mkv") {
        EXPECT_GT(gathered.Output.size(), kStreamChunk);
      }
    }
  }
  // Saving still gathers its output.
  const std::string dense = temp.Write("dense.mkv", DenseFile(300));
  const std::string saveDir = temp / "saved";
  fs::create_directories(saveDir);
  std::ostringstream unused;
  for (const TAnalysisOutput output : {TAnalysisOutput::Text, TAnalysisOutput::Json})
    EXPECT_FALSE(AnalyseFile(dense, output, &saveDir, tables.Context, false, &unused).Output.empty());
  EXPECT_TRUE(unused.str().empty());
}

// A file cut short keeps in its document what was read before the cut and says where the
// file ends.
TEST(OutputSelection, CutFilesKeepTheirRecordsAndSayWhereTheyEnd) {
  const TTables tables;
  const TTempDir temp("ambrel_outputs");
  const std::string dense = DenseFile(3000);
  int failed = 0;
  for (const size_t size : {dense.size() / 3, dense.size() / 2, dense.size() - 40, size_t{200}}) {
    const std::string path = temp.Write("cut.mkv", dense.substr(0, size));
    const TFileAnalysis run = AnalyseFile(path, TAnalysisOutput::Json, nullptr, tables.Context, false);
    const TJson json = TJson::parse(run.Output);
    if (json["parsed"].get<bool>()) continue;
    ++failed;
    const TJson& error = json["error"];
    const std::string message = error["message"].get<std::string>();
    EXPECT_TRUE(run.Errors.empty()) << size;  // the batch says it, as for every output
    ASSERT_FALSE(error["truncated"].is_null()) << size;
    EXPECT_GT(error["truncated"]["at"].get<int64_t>() + error["truncated"]["size"].get<int64_t>(), int64_t(size));
    EXPECT_EQ(error["position"], error["truncated"]["at"]);
    EXPECT_EQ(message.find("Skipping"), std::string::npos) << message;
    EXPECT_EQ(json["ebml"]["doc_type"], "matroska");
    EXPECT_EQ(json["tracks"].size(), 1u) << size;
  }
  EXPECT_GE(failed, 3);
}
