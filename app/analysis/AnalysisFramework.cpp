#include "app/analysis/AnalysisFramework.h"

#include <cstdlib>
#include <optional>
#include <string>

#ifdef AMBREL_HAVE_FRAMEWORK_HOST
#include "host/FrameworkHost.h"
#endif

namespace ambrel {

#ifdef AMBREL_HAVE_FRAMEWORK_HOST
namespace {

bool InProcess() {
  const char* inProcess = std::getenv("AMBREL_FRAMEWORK_IN_PROCESS");
  return inProcess && std::string(inProcess) == "1";
}

// The host program; none when the framework is to run in this process. A host program
// that is missing is not replaced by this process: its start fails, and says so.
std::optional<std::string> HostProgram() {
  if (InProcess()) return std::nullopt;
  std::string path = host::FindHostProgram();
  if (path.empty()) return "";
  return path;
}

host::THostLimits HostLimits() {
  host::THostLimits limits;
  if (const char* seconds = std::getenv("AMBREL_FRAMEWORK_HOST_SECONDS")) {
    char* end = nullptr;
    const double value = std::strtod(seconds, &end);
    if (end != seconds && value > 0 && value < 86400) {
      limits.File = std::chrono::milliseconds(static_cast<int64_t>(value * 1000));
      limits.Call = std::min(limits.Call, limits.File);
    }
  }
  return limits;
}

}  // namespace
#endif

std::string FrameworkHostMissing() {
#ifdef AMBREL_HAVE_FRAMEWORK_HOST
  if (const std::optional<std::string> host = HostProgram(); host && host->empty()) return host::MissingHostLine();
#endif
  return {};
}

TMakeFrameworkSections AnalysisFrameworkMaker(const TScriptedWorld* World) {
#ifdef AMBREL_HAVE_FRAMEWORK_HOST
  if (std::optional<std::string> host = HostProgram()) {
    if (host->empty()) host = host::MissingHostPath();
    std::optional<std::string> world;
    if (World) world = World->Text;
    const host::THostLimits limits = HostLimits();
    return [path = *host, world, limits] { return std::make_unique<host::TFrameworkHost>(path, world, limits); };
  }
#endif
  if (World) {
    return [make = World->Make] { return std::make_unique<TLocalFrameworkSections>(make, true); };
  }
  return [] {
    return std::make_unique<TLocalFrameworkSections>(
        [] { return media::CreateDefaultMediaFramework(media::TFrameworkStart::FirstQuestion); });
  };
}

}  // namespace ambrel
