// The media framework's report sections, called by the analysis and the
// system-information runs. Each is the one place where its section is called from.
#pragma once

#include <string>

#include "report/LogWriter.h"

namespace ambrel {

// Which Matroska splitters are installed and creatable, and the framework's own
// rendering of the file.
void RunRenderFileCheckSection(const std::string& FileName, TLogWriter& Writer);
// The pin-by-pin narrative of a graph build for the file.
void RunDetailedRenderingSection(const std::string& FileName, TLogWriter& Writer);
// The installed filters and audio renderers.
void RunDirectShowFiltersSection(TLogWriter& Writer);

}  // namespace ambrel
