#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "base/TextUtil.h"
#include "machine/Machine.h"

namespace ambrel::platform {

namespace {
constexpr std::streamsize kMaxFactsFile = 4 << 20;
}  // namespace

TMachineFiles::TMachineFiles(std::string Root) : FRoot(std::move(Root)) {
  if (FRoot.empty()) FRoot = "/";
  if (FRoot.back() != '/') FRoot += '/';
}

std::string TMachineFiles::Path(const std::string& Relative) const {
  const size_t skip = Relative.find_first_not_of('/');
  return FRoot + (skip == std::string::npos ? std::string() : Relative.substr(skip));
}

std::optional<std::string> TMachineFiles::Read(const std::string& Relative) const {
  std::ifstream in(Path(Relative), std::ios::binary);
  if (!in) return std::nullopt;
  // Files under /proc and /sys report no size, so read in pieces up to the limit.
  std::string text;
  char buffer[8192];
  while (in && static_cast<std::streamsize>(text.size()) < kMaxFactsFile) {
    in.read(buffer, sizeof buffer);
    text.append(buffer, static_cast<size_t>(in.gcount()));
  }
  if (in.bad()) return std::nullopt;
  return text;
}

std::string TMachineFiles::FirstLine(const std::string& Relative) const {
  const auto text = Read(Relative);
  if (!text) return {};
  return std::string(TrimBlank(std::string_view(*text).substr(0, text->find('\n'))));
}

std::vector<std::string> TMachineFiles::List(const std::string& Relative) const {
  std::vector<std::string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator it(Path(Relative), error), end; !error && it != end; it.increment(error)) {
    names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool TMachineFiles::Exists(const std::string& Relative) const {
  std::error_code error;
  return std::filesystem::exists(Path(Relative), error);
}

std::optional<std::time_t> TMachineFiles::ModificationTime(const std::string& Relative) const {
  struct stat info {};
  if (stat(Path(Relative).c_str(), &info) != 0) return std::nullopt;
  return info.st_mtime;
}

std::vector<std::string> SplitLines(const std::string& Text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < Text.size()) {
    size_t end = Text.find('\n', start);
    if (end == std::string::npos) end = Text.size();
    lines.push_back(Text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::string FindKeyValue(const std::string& Text, const std::string& Key, char Separator) {
  for (const std::string& line : SplitLines(Text)) {
    const size_t sep = line.find(Separator);
    const std::string_view l = line;
    if (sep != std::string::npos && TrimBlank(l.substr(0, sep)) == Key) return std::string(TrimBlank(l.substr(sep + 1)));
  }
  return {};
}

std::string FormatDriverDate(std::time_t Time) {
  std::tm local{};
  if (!localtime_r(&Time, &local)) return {};
  char text[64];
  std::snprintf(text, sizeof text, "%d/%d/%d %02d:%02d:%02d", local.tm_mon + 1, local.tm_mday,
                local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec);
  return text;
}

}  // namespace ambrel::platform
