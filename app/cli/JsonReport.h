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
// when the file could not be opened.
void WriteJsonReport(TJsonStream& J, const std::string& FileName, const TMatroskaParse* Parse,
                     const TAnalysisContext& Context);

// Why FileName's document says it did not parse (plain text); empty when it parsed.
std::string JsonFailureMessage(const std::string& FileName, const TMatroskaParse* Parse);
// The line standard error gets for a file that did not parse: "ambrel-cli: FILE: MESSAGE".
std::string FailureLine(const std::string& FileName, const std::string& Message);

class TDetailedRenderingAhead;

// Writes the media framework's answers for FileName into the object open in J:
// "render_file" (the RenderFile check's code and text) and "rendering" (the detailed
// rendering's final result and the paths it completed, as plain text). Ahead, when given,
// is the detailed rendering begun for this file.
void WriteRenderResults(TJsonStream& J, const std::string& FileName, media::IMediaFramework& Fw,
                        TDetailedRenderingAhead* Ahead = nullptr);
// The same from answers already had: Hr the RenderFile check's, Lines the detailed
// rendering's narrative.
void WriteRenderResults(TJsonStream& J, media::IMediaFramework& Fw, media::HRESULT Hr,
                        const std::vector<std::string>& Lines);

// A DateUTC as ISO 8601 in UTC ("2010-08-21T07:23:03.000Z"); empty when the date
// cannot be shown.
std::string DateUTCToIso(int64_t DateUTC);

}  // namespace ambrel
