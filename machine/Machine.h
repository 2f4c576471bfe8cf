// The machine whose facts the system information reports: a root directory under which
// etc/, proc/, sys/, usr/ and lib/ are read (the real machine is "/"; tests use a fake
// tree), the locale environment, and the moment of the report.
#pragma once

#include <ctime>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "machine/DxDiagProvider.h"

namespace ambrel::platform {

struct TMachine {
  std::string Root = "/";
  std::map<std::string, std::string> Environment;  // LC_ALL, LC_MESSAGES, LC_TIME, LANG
  std::tm LocalTime{};                             // the report's date and time
};

// This machine: "/", the process's locale variables, the local time now.
TMachine CurrentMachine();

// A provider that answers the system-information containers from Machine's files.
std::unique_ptr<IDxDiagProvider> CreateLinuxDxDiagProvider(TMachine Machine);

// Reading the machine's files, relative to its root. Missing files read as nothing.
class TMachineFiles {
 public:
  explicit TMachineFiles(std::string Root);

  std::string Path(const std::string& Relative) const;
  // The whole file, at most 4 MiB; nothing when it cannot be read.
  std::optional<std::string> Read(const std::string& Relative) const;
  // The first line of the file, without its line end and surrounding blanks.
  std::string FirstLine(const std::string& Relative) const;
  // The names in a directory, sorted; empty when it cannot be listed.
  std::vector<std::string> List(const std::string& Relative) const;
  bool Exists(const std::string& Relative) const;
  // The last modification time of a file, when it exists.
  std::optional<std::time_t> ModificationTime(const std::string& Relative) const;

 private:
  std::string FRoot;
};

// Text helpers for the facts files.
std::vector<std::string> SplitLines(const std::string& Text);
// The value of "Key<sep>value" lines (sep ':' or '='), blanks trimmed; the first match.
std::string FindKeyValue(const std::string& Text, const std::string& Key, char Separator);
// "3/13/2007 12:50:00" in the machine's local time.
std::string FormatDriverDate(std::time_t Time);

// The parts of the system-information tree, each read from the machine.
std::string OperatingSystemText(const TMachineFiles& Files);
std::string LanguageText(const TMachine& Machine);
std::string MediaFrameworkText(const TMachineFiles& Files);
std::string ProcessorText(const TMachineFiles& Files);
std::string MemoryText(const TMachineFiles& Files);
std::string DateText(const std::tm& Time);
void AddDisplayDevices(const TMachineFiles& Files, TDxDiagNode& Devices);
void AddSoundDevices(const TMachineFiles& Files, TDxDiagNode& Devices);

// A kernel module's version (its own, or the kernel's for one without) and date (its
// file's modification time); empty when unknown.
struct TModuleInfo {
  std::string Version;
  std::string Date;
};
TModuleInfo KernelModuleInfo(const TMachineFiles& Files, const std::string& Module);

}  // namespace ambrel::platform
