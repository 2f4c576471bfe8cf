// The JSON form of a file analysis: one document per file with the parse's outcome and
// its records (EBML header, segment information, tracks, attachments, chapters, tags).
// Every text is well-formed UTF-8 (ill-formed bytes become U+FFFD) and every number a
// JSON number, so a batch of documents can be read by any JSON parser.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/analysis/AnalysisContext.h"
#include "app/cli/JsonStream.h"
#include "matroska/MatroskaParse.h"
#include "media/MediaFramework.h"

namespace ambrel {

// Whether the document of Parse says "parsed": the parse reached the first Cluster, was
// not stopped and met no error.
bool JsonParsed(const TMatroskaParse* Parse);

// Writes the members of FileName's document into the object open in J: Parse is null
// when the file could not be opened. ParsingLog is the parse's log; its last line is the
// error shown when the file did not parse.
void WriteJsonReport(TJsonStream& J, const std::string& FileName, const TMatroskaParse* Parse,
                     std::string_view ParsingLog, const TAnalysisContext& Context);

struct TRenderAnswers;

// Writes the media framework's answers into the object open in J: "render_file" (the
// RenderFile check's code and text) and "rendering" (the detailed rendering's final result
// and the paths it completed, as plain text). A part the framework stopped before holds an
// "error" object instead, whose "text" says why.
void WriteRenderResults(TJsonStream& J, const TRenderAnswers& Answers);

// A DateUTC as ISO 8601 in UTC ("2010-08-21T07:23:03.000Z"); empty when the date
// cannot be shown.
std::string DateUTCToIso(int64_t DateUTC);

}  // namespace ambrel
