// The codec friendly-names table: lines of the form key=name, searched in order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ambrel {

class TFriendlyNames {
 public:
  // Replaces the table with the lines of bytes, split at CR LF, LF or CR. A final line
  // end does not start another line.
  void LoadFromBytes(std::string_view bytes);
  // Loads "CodecsFriendlyNames.ini" from exeDir when it is a readable file, else the
  // embedded table.
  void Load(const std::string& exeDir);

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
  std::vector<std::string> FLines;
};

}  // namespace ambrel
