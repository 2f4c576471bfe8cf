// Who answers an analysis's questions to the media framework: a framework host process
// started beside the program (the default), or the framework in this process.
#pragma once

#include <functional>
#include <memory>

#include "dshow/FrameworkSections.h"
#include "platform/MediaWorld.h"

namespace ambrel {

using TMakeFrameworkSections = std::function<std::unique_ptr<IFrameworkSections>()>;

// Makes the framework sections of one thread of analyses: over World when given, else over
// the platform's framework. They run in a framework host process (ambrel-framework-host,
// beside the program or the media module) unless AMBREL_FRAMEWORK_IN_PROCESS is set to 1 or
// no host program is found. AMBREL_FRAMEWORK_HOST_SECONDS (a number of seconds) replaces
// the host's time limit per file (and per question, when shorter than its own).
TMakeFrameworkSections AnalysisFrameworkMaker(const media::TMediaWorldLoad* World);

}  // namespace ambrel
