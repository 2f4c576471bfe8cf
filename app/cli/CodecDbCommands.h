// Command-line modes over the codec database and the XML document model. Each takes
// its arguments, writes to out and err, and returns the exit status (0 ok, 1 failure).
#pragma once

#include <ostream>
#include <string>

#include "app/analysis/CodecDbChoice.h"

namespace ambrel {

// --codec CODECID [--fourcc FOURCC]: one line per hit of the database the program
// uses (app/analysis/CodecDbChoice.h): the codec package's name, a TAB, the filter's
// guid. A database file beside the executable that fails to load is reported on err and
// the embedded database answers instead; one asked for that fails to load fails the run.
// No entry is said on err and fails the run. Json: one JSON document instead,
// {"codec_id", "fourcc", "proposals": [{"name", "guid"}]}.
int RunCodecQuery(const std::string& CodecID, const std::string& Fourcc, const std::string& ExeDir,
                  const TCodecDbChoice& Choice, std::ostream& out, std::ostream& err, bool Json = false);

// --check-codecdb FILE: "ok <codecs> <filters>" for a codec database; otherwise says
// why it is not one (root element, or the parser's message) and fails.
int RunCheckCodecDB(const std::string& FileName, std::ostream& out, std::ostream& err);

// --dump-xml FILE: the document written back in the writer's text form; the parser's
// message on err when it does not parse.
int RunDumpXml(const std::string& FileName, std::ostream& out, std::ostream& err);

}  // namespace ambrel
