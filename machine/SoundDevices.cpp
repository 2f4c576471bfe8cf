// Sound cards as the kernel's sound system lists them.
#include <cstdlib>
#include <map>
#include <regex>

#include "base/TextUtil.h"
#include "machine/Machine.h"

namespace ambrel::platform {

void AddSoundDevices(const TMachineFiles& Files, TDxDiagNode& Devices) {
  // proc/asound/modules: "<index> <module>" per card.
  std::map<std::string, std::string> modules;
  for (const std::string& line : SplitLines(Files.Read("proc/asound/modules").value_or(""))) {
    const std::string_view entry = TrimBlank(line);
    const size_t space = entry.find_first_of(" \t");
    if (space != std::string::npos) modules[std::string(entry.substr(0, space))] = TrimBlank(entry.substr(space));
  }
  // proc/asound/cards: " 0 [PCH            ]: HDA-Intel - HDA Intel PCH" then a long-name line.
  static const std::regex cardLine(R"(\s*(\d+)\s+\[[^\]]*\]:\s*(\S+)\s+-\s+(.*))");
  for (const std::string& line : SplitLines(Files.Read("proc/asound/cards").value_or(""))) {
    std::smatch match;
    // The kernel's lines are short; a longer one is not a card line (and would make the
    // regular expression search deep).
    if (line.size() > 512 || !std::regex_match(line, match, cardLine)) continue;
    const std::string index = match[1].str();
    const auto module = modules.find(index);
    const std::string driver = module != modules.end() ? module->second : match[2].str();
    const TModuleInfo info = KernelModuleInfo(Files, driver);
    TDxDiagNode& node = Devices.AddChild(index);
    node.SetText("szDescription", std::string(TrimBlank(match[3].str())));
    node.SetText("szDriverName", driver);
    node.SetText("szDriverVersion", info.Version);
    node.SetText("szDriverDateEnglish", info.Date);
  }
}

}  // namespace ambrel::platform
