// What the kernel tells about a driver module: its version and its file's date.
#include <algorithm>

#include "machine/Machine.h"

namespace ambrel::platform {

namespace {

// Module names treat '-' and '_' alike.
std::string Normalised(std::string Name) {
  std::replace(Name.begin(), Name.end(), '-', '_');
  return Name;
}

// The module's file as modules.dep names it, relative to the modules directory.
std::string ModuleFile(const std::string& ModulesDep, const std::string& Module) {
  const std::string wanted = Normalised(Module);
  for (const std::string& line : SplitLines(ModulesDep)) {
    const std::string path = line.substr(0, line.find(':'));
    const size_t slash = path.rfind('/');
    const std::string base = path.substr(slash == std::string::npos ? 0 : slash + 1);
    if (Normalised(base.substr(0, base.find(".ko"))) == wanted) return path;
  }
  return {};
}

}  // namespace

TModuleInfo KernelModuleInfo(const TMachineFiles& Files, const std::string& Module) {
  TModuleInfo info;
  if (Module.empty()) return info;
  const std::string release = Files.FirstLine("proc/sys/kernel/osrelease");
  const std::string sysModule = "sys/module/" + Normalised(Module);
  info.Version = Files.FirstLine(sysModule + "/version");
  // A module without a version of its own is built with the kernel.
  if (info.Version.empty() && Files.Exists(sysModule)) info.Version = release;
  if (release.empty()) return info;
  for (const char* modules : {"lib/modules/", "usr/lib/modules/"}) {
    const std::string dir = modules + release + "/";
    const std::string file = ModuleFile(Files.Read(dir + "modules.dep").value_or(""), Module);
    if (file.empty()) continue;
    if (const auto time = Files.ModificationTime(dir + file)) {
      info.Date = FormatDriverDate(*time);
      break;
    }
  }
  return info;
}

}  // namespace ambrel::platform
