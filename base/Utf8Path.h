// File-system paths to and from the program's UTF-8 text. On Windows a narrow path would
// go through the ANSI code page, which cannot name every file; there the text is taken
// as UTF-8. Elsewhere the bytes are the name, as given.
#pragma once

#include <filesystem>
#include <string>

namespace ambrel {

inline std::filesystem::path Utf8Path(const std::string& Text) {
#ifdef _WIN32
  return std::filesystem::path(std::u8string(Text.begin(), Text.end()));
#else
  return std::filesystem::path(Text);
#endif
}

inline std::string PathUtf8(const std::filesystem::path& Path) {
#ifdef _WIN32
  const std::u8string text = Path.u8string();
  return std::string(text.begin(), text.end());
#else
  return Path.string();
#endif
}

}  // namespace ambrel
