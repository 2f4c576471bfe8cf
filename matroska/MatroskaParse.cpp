#include "matroska/MatroskaParse.h"

#include <exception>

#include "report/LogWriter.h"

namespace ambrel {

TMatroskaParse ParseMatroska(std::unique_ptr<TByteSource> Source, TLogWriter& ParsingLog,
                             const TParseControl* Control, bool KeepAllRecords) {
  TMatroskaParse parse;
  parse.File = std::make_unique<TFileReader>(std::move(Source));
  parse.FileSize = parse.File->GetSize();
  parse.Reader = std::make_unique<TMatroskaReader>(*parse.File, ParsingLog);
  parse.Reader->SetControl(Control);
  parse.Reader->SetKeepTags(KeepAllRecords);
  parse.Reader->SetKeepChapterAtoms(KeepAllRecords);
  try {
    parse.ClusterFound = parse.Reader->Parse();
  } catch (const std::exception& error) {
    parse.Error = error.what();
  }
  parse.Reader->SetControl(nullptr);
  parse.Cancelled = parse.Reader->Cancelled();
  if (!parse.Error.empty()) {
    parse.Failure = parse.Error;
    ParsingLog.WriteLine(Verbatim(parse.Failure));
  } else if (parse.Cancelled) {
    parse.Failure = kAnalysisCancelled;
    ParsingLog.WriteLine(parse.Failure);
  } else if (!parse.ClusterFound) {
    parse.Failure = parse.Reader->EbmlReader->LastLogLine();
  }
  return parse;
}

}  // namespace ambrel
