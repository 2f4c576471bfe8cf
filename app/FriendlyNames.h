// The codec friendly-names table: lines of the form key=name; the first line with a key
// answers for it. The table is indexed once when loaded.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ambrel {

class TFriendlyNames {
 public:
  TFriendlyNames() = default;
  // The index points into the lines: a copy indexes its own lines, a move keeps them
  // where they are.
  TFriendlyNames(const TFriendlyNames& Other) : FLines(Other.FLines) { BuildIndex(); }
  TFriendlyNames& operator=(const TFriendlyNames& Other) {
    if (this != &Other) {
      FLines = Other.FLines;
      BuildIndex();
    }
    return *this;
  }
  TFriendlyNames(TFriendlyNames&&) noexcept = default;
  TFriendlyNames& operator=(TFriendlyNames&&) noexcept = default;

  // Replaces the table with the lines of bytes, split at CR LF, LF or CR. A final line
  // end does not start another line.
  void LoadFromBytes(std::string_view bytes);
  // Loads "CodecsFriendlyNames.ini" from exeDir when it is a readable regular file of a
  // sane size, else the embedded table (also when exeDir is empty: the folder is
  // unknown). A file that is there but cannot be used leaves its message in
  // *errorMessage (when given).
  void Load(const std::string& exeDir, std::string* errorMessage = nullptr);

  // Finds the first line whose text before its first '=' equals key ignoring ASCII case;
  // name is the text after that '='. Lines without '=' never match.
  bool FindName(std::string_view key, std::string& name) const;
  // name + " (" + key + ")", or key alone when there is no row or its name is empty.
  std::string LookupFriendlyName(const std::string& key) const;
  // The same, with shownKey standing for the key in the result (the report passes the
  // key wrapped as file text).
  std::string LookupFriendlyName(const std::string& key, const std::string& shownKey) const;
  // LookupFriendlyName of the tag as four upper-case hex digits.
  std::string LookupFormatTagName(uint16_t tag) const;

  const std::vector<std::string>& Lines() const { return FLines; }

 private:
  struct TKeyHash {
    std::size_t operator()(std::string_view key) const;
  };
  struct TKeyEqual {
    bool operator()(std::string_view a, std::string_view b) const;
  };
  void BuildIndex();

  std::vector<std::string> FLines;
  // Each key (the text before a line's first '=', ignoring ASCII case) with its first line.
  std::unordered_map<std::string_view, std::size_t, TKeyHash, TKeyEqual> FIndex;
};

}  // namespace ambrel
