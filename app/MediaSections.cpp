#include "app/MediaSections.h"

namespace ambrel {

// The media layer is not part of this build yet: until it is, these sections write
// nothing and the runs go on with their next steps.

void RunRenderFileCheckSection(const std::string& /*FileName*/, TLogWriter& /*Writer*/) {}

void RunDetailedRenderingSection(const std::string& /*FileName*/, TLogWriter& /*Writer*/) {}

void RunDirectShowFiltersSection(TLogWriter& /*Writer*/) {}

}  // namespace ambrel
