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
  TParseFailure& failure = parse.Reason;
  try {
    parse.ClusterFound = parse.Reader->Parse();
  } catch (const EMatroskaError& error) {
    parse.Error = error.what();
    failure = {error.what(), error.Position, error.Element, error.Size, false};
    failure.Truncated = error.Position >= 0 && parse.FileSize >= 0 &&
                        static_cast<uint64_t>(error.Position) + static_cast<uint64_t>(error.Size) >
                            static_cast<uint64_t>(parse.FileSize);
  } catch (const std::exception& error) {
    parse.Error = error.what();
    failure.Message = error.what();
  }
  parse.Reader->SetControl(nullptr);
  parse.Cancelled = parse.Reader->Cancelled();
  if (parse.Cancelled) {
    failure = TParseFailure();
    failure.Message = kAnalysisCancelled;
  } else if (parse.Error.empty() && !parse.ClusterFound) {
    failure = parse.Reader->Failure;
  }
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
