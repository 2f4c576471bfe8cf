// The folders and the letter case of Windows, for the expansion of wildcard arguments.
#include "app/cli/FilePatterns.h"
#include "base/Utf16.h"

#include <windows.h>

namespace ambrel {

namespace {

// Letter case as the file system compares names (beyond ASCII too).
char16_t SystemUpper(char16_t c) {
  WCHAR one[1] = {static_cast<WCHAR>(c)};
  CharUpperBuffW(one, 1);
  return static_cast<char16_t>(one[0]);
}

// Every entry of the folder: the matching is done by ExpandFilePatterns on the long names
// only (the system's own matching also tries the short 8.3 names, so that "*.mkv" would
// take "film.mkvx" whose short name is "FILM~1.MKV").
std::vector<std::string> FolderNames(const std::string& Folder) {
  std::vector<std::string> names;
  const std::u16string query = media::Utf8ToWide(Folder) + u"*";
  WIN32_FIND_DATAW found;
  const HANDLE find = FindFirstFileW(reinterpret_cast<const wchar_t*>(query.c_str()), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::u16string name(reinterpret_cast<const char16_t*>(found.cFileName));
    if (name != u"." && name != u"..") names.push_back(media::WideToUtf8(name));
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return names;
}

}  // namespace

std::vector<std::string> ExpandSystemFilePatterns(const std::vector<std::string>& Args) {
  return ExpandFilePatterns(Args, FolderNames, SystemUpper);
}

}  // namespace ambrel
