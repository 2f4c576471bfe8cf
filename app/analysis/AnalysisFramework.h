// Who answers an analysis's questions to the media framework: a framework host process
// started beside the program (the default), or the framework in this process.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "dshow/FrameworkSections.h"

namespace ambrel {

using TMakeFrameworkSections = std::function<std::unique_ptr<IFrameworkSections>()>;

// A scripted world that answers instead of the platform's framework: its JSON, for a host
// to load, and what makes its frameworks in this process.
struct TScriptedWorld {
  std::string Text;
  std::function<std::unique_ptr<media::IMediaFramework>()> Make;
};

// Makes the framework sections of one thread of analyses: over World when given, else over
// the platform's framework. They run in a framework host process (ambrel-framework-host,
// beside the program or the media module) unless AMBREL_FRAMEWORK_IN_PROCESS is set to 1.
// Without a host program, every file's rendering sections say that it could not be
// started (FrameworkHostMissing). AMBREL_FRAMEWORK_HOST_SECONDS (a number of seconds)
// replaces the host's time limit per file (and per question, when shorter than its own).
TMakeFrameworkSections AnalysisFrameworkMaker(const TScriptedWorld* World);

// The line saying that the host program the framework sections would run in is missing;
// empty when it is there, or not wanted.
std::string FrameworkHostMissing();

}  // namespace ambrel
