// The report sections over the media framework: the splitter and RenderFile check, the
// detailed rendering narrative, and the lists of installed filters and audio renderers.
// Each writes only to the writer it is given and never throws.
#pragma once

#include <string>

#include "platform/MediaFramework.h"
#include "report/LogWriter.h"

namespace ambrel {

// FileName is the analysed file's path (UTF-8).

// Lets the framework start rendering the file while the caller writes what comes before the
// rendering sections (the file's own report); the sections read the same either way.
void PrepareRenderingSections(const std::string& FileName, media::IMediaFramework& Fw);
void WriteRenderFileCheckSection(const std::string& FileName, TLogWriter& W, media::IMediaFramework& Fw);
void WriteDetailedRenderingSection(const std::string& FileName, TLogWriter& W, media::IMediaFramework& Fw);
void WriteDirectShowFiltersSection(TLogWriter& W, media::IMediaFramework& Fw);

}  // namespace ambrel
