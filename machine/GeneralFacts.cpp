// The general system facts: operating system, language, media framework, processor,
// memory and the date.
#include <cstdio>
#include <cstdlib>
#include <regex>

#include "base/TextUtil.h"
#include "machine/Machine.h"

namespace ambrel::platform {

namespace {

std::string Unquote(const std::string& Value) {
  if (Value.size() >= 2 && (Value.front() == '"' || Value.front() == '\'') && Value.back() == Value.front()) {
    return Value.substr(1, Value.size() - 2);
  }
  return Value;
}

std::string FirstSetVariable(const TMachine& Machine, std::initializer_list<const char*> Names) {
  for (const char* name : Names) {
    const auto it = Machine.Environment.find(name);
    if (it != Machine.Environment.end() && !it->second.empty()) return it->second;
  }
  return "C";
}

const char* const kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                               "July",    "August",   "September", "October", "November", "December"};

}  // namespace

std::string OperatingSystemText(const TMachineFiles& Files) {
  std::string osRelease = Files.Read("etc/os-release").value_or("");
  if (osRelease.empty()) osRelease = Files.Read("usr/lib/os-release").value_or("");
  std::string name = Unquote(FindKeyValue(osRelease, "PRETTY_NAME", '='));
  if (name.empty()) name = TrimBlank(Unquote(FindKeyValue(osRelease, "NAME", '=')) + " " +
                                    Unquote(FindKeyValue(osRelease, "VERSION", '=')));
  const std::string kernel = Files.FirstLine("proc/sys/kernel/osrelease");
  if (kernel.empty()) return name;
  const std::string kernelText = "Linux " + kernel;
  return name.empty() ? kernelText : name + " (" + kernelText + ")";
}

std::string LanguageText(const TMachine& Machine) {
  const std::string language = FirstSetVariable(Machine, {"LC_ALL", "LC_MESSAGES", "LANG"});
  const std::string regional = FirstSetVariable(Machine, {"LC_ALL", "LC_TIME", "LANG"});
  return language + " (Regional Setting: " + regional + ")";
}

std::string MediaFrameworkText(const TMachineFiles& Files) {
  // The library's file name carries the release: libgstreamer-1.0.so.0.MMmm.0 is 1.MM.mm.
  static const std::regex library(R"(libgstreamer-1\.0\.so\.0\.(\d+)\.(\d+))");
  for (const char* dir : {"usr/lib/x86_64-linux-gnu", "usr/lib/aarch64-linux-gnu", "usr/lib/i386-linux-gnu",
                          "usr/lib/arm-linux-gnueabihf", "usr/lib64", "usr/lib", "lib/x86_64-linux-gnu", "lib64", "lib"}) {
    for (const std::string& name : Files.List(dir)) {
      std::smatch match;
      if (!std::regex_match(name, match, library)) continue;
      const long current = std::strtol(match[1].str().c_str(), nullptr, 10);
      return "GStreamer 1." + std::to_string(current / 100) + "." + std::to_string(current % 100);
    }
  }
  return {};
}

std::string ProcessorText(const TMachineFiles& Files) {
  const std::string cpuinfo = Files.Read("proc/cpuinfo").value_or("");
  std::string model = FindKeyValue(cpuinfo, "model name", ':');
  if (model.empty()) model = FindKeyValue(cpuinfo, "Model", ':');
  if (model.empty()) model = FindKeyValue(cpuinfo, "cpu model", ':');
  int count = 0;
  for (const std::string& line : SplitLines(cpuinfo)) {
    const size_t sep = line.find(':');
    if (sep != std::string::npos && TrimBlank(std::string_view(line).substr(0, sep)) == "processor") ++count;
  }
  if (count == 0) return model;
  const std::string cpus = std::to_string(count) + (count == 1 ? " CPU" : " CPUs");
  return model.empty() ? cpus : model + " (" + cpus + ")";
}

std::string MemoryText(const TMachineFiles& Files) {
  const std::string total = FindKeyValue(Files.Read("proc/meminfo").value_or(""), "MemTotal", ':');
  char* end = nullptr;
  const unsigned long long kilobytes = std::strtoull(total.c_str(), &end, 10);
  if (end == total.c_str()) return {};
  return std::to_string(kilobytes / 1024) + "MB RAM";
}

std::string DateText(const std::tm& Time) {
  if (Time.tm_mon < 0 || Time.tm_mon > 11 || Time.tm_wday < 0 || Time.tm_wday > 6) return {};
  char text[96];
  std::snprintf(text, sizeof text, "%s, %s %d, %d, %02d:%02d:%02d", kDays[Time.tm_wday], kMonths[Time.tm_mon],
                Time.tm_mday, Time.tm_year + 1900, Time.tm_hour, Time.tm_min, Time.tm_sec);
  return text;
}

}  // namespace ambrel::platform
