// Fuzz target: the whole file report (parse, report, HTML page and text report) of an
// arbitrary file, fed from memory. Claims: no crash, the HTML page and the text report
// are produced, and the text report built alone (no parsing log, tags not kept, as the
// command line builds it) is the one built with everything, and the chapter outline the
// report is written from holds what the full chapter records hold, and the JSON document
// of the same parse is well-formed JSON.
#include <cstdint>
#include <memory>
#include <string_view>

#include "app/analysis/FriendlyNames.h"
#include "app/cli/JsonReport.h"
#include "app/analysis/MatroskaReport.h"
#include "app/analysis/ReportAssembly.h"
#include "codecdb/XmlCodecDB.h"
#include "io/ByteSource.h"

using namespace ambrel;

namespace {

// Walks Atoms (nested in Depth - 1 levels) in file order against the outline entries from
// Next on; false at the first difference.
template <class List>
bool SameAtoms(const List& Atoms, int Depth, const TChapterOutline& Outline, size_t& Next) {
  for (const TMatroskaChapterAtom& atom : Atoms) {
    if (Next >= Outline.Entries().size()) return false;
    const TChapterOutlineEntry& entry = Outline.Entries()[Next++];
    const bool titled = !atom.Displays.empty();
    if (entry.Depth != Depth || entry.Start != atom.ChapterTimeStart || entry.End != atom.ChapterTimeEnd ||
        entry.Hidden() != (atom.ChapterFlagHidden != 0) || entry.HasTitle() != titled ||
        (titled && Outline.Title(entry) != atom.Displays.front().ChapString))
      return false;
    if (!SameAtoms(atom.ChapterAtoms, Depth + 1, Outline, Next)) return false;
  }
  return true;
}

bool OutlineHoldsTheRecords(const TMatroskaReader& Reader) {
  const TChapterOutline& outline = Reader.ChapterOutline;
  size_t next = 0;
  for (const TMatroskaEditionEntry& edition : Reader.Editions) {
    if (next >= outline.Entries().size() || !outline.Entries()[next++].IsEdition()) return false;
    if (!SameAtoms(edition.ChapterAtoms, 1, outline, next)) return false;
  }
  return next == outline.Entries().size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const TFriendlyNames names = [] {
    TFriendlyNames n;
    n.Load("");
    return n;
  }();
  static const TXmlCodecDB& codecDB = *[] {
    auto* db = new TXmlCodecDB;
    LoadCodecDB(*db, "", nullptr);
    return db;
  }();
  const TAnalysisContext context{names, codecDB};

  TReportWriters writers;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const TMatroskaParse parse = ParseMatroska(std::make_unique<TMemorySource>(bytes), writers.FParsingLog);
  WriteMatroskaReport(parse, writers.FReportWriter, context);
  THTMLWriter page;
  writers.BuildHtmlPage(false, page);
  TTxtWriter text;
  writers.BuildTextReport(false, text);
  if (page.GetText().empty() || text.GetText().size() < 3) __builtin_trap();
  if (!OutlineHoldsTheRecords(*parse.Reader)) __builtin_trap();

  TJsonStream json;
  json.BeginObject();
  WriteJsonReport(json, "fuzz.mkv", &parse, context);
  json.EndObject();
  if (!TJson::accept(json.TakeText())) __builtin_trap();

  TNullWriter noLog;
  TTxtWriter alone;
  const TMatroskaParse lean = ParseMatroska(std::make_unique<TMemorySource>(bytes), noLog, nullptr, false);
  WriteMatroskaReport(lean, alone, context);
  if (alone.GetStream().Bytes() != writers.FReportText.GetStream().Bytes()) __builtin_trap();
  return 0;
}
