// The codec friendly-names table: lines of the form key=name; the first line with a key
// answers for it. The table keeps its text in one piece and indexes it once when loaded:
// no string per line, no node per key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "codecdb/FriendlyNamesIndex.h"

namespace ambrel {

class TFriendlyNames {
 public:
  // Replaces the table with the lines of bytes, split at CR LF, LF or CR. A final line
  // end does not start another line.
  void LoadFromBytes(std::string_view bytes);
  // Loads "CodecsFriendlyNames.ini" from exeDir when it is a readable regular file of a
  // sane size, else the embedded table (also when exeDir is empty: the folder is
  // unknown). A file that is there but cannot be used leaves its message in
  // *errorMessage (when given).
  void Load(const std::string& exeDir, std::string* errorMessage = nullptr);
  // The table in the data file beside the executable, when there is one that can be
  // read; false (and the table untouched) otherwise, with the message of a file that is
  // there but cannot be used in *errorMessage (when given).
  bool LoadDataFile(const std::string& exeDir, std::string* errorMessage = nullptr);
  // The embedded table, indexed on the first call (by whichever thread comes first) and
  // kept for the rest of the process.
  static const TFriendlyNames& Embedded();

  // Finds the first line whose text before its first '=' equals key ignoring ASCII case;
  // name is the text after that '='. Lines without '=' never match.
  bool FindName(std::string_view key, std::string& name) const;
  // name + " (" + key + ")", or key alone when there is no row or its name is empty.
  std::string LookupFriendlyName(const std::string& key) const;
  // The same for the report writers: the name wrapped as file text (base/Verbatim.h), so
  // that a table's markup is shown and never rendered, and shownKey standing for the key
  // (the report passes the key wrapped as file text).
  std::string LookupFriendlyName(const std::string& key, const std::string& shownKey) const;
  // LookupFriendlyName of the tag as four upper-case hex digits.
  std::string LookupFormatTagName(uint16_t tag) const;
  // The same for the report writers, the name wrapped as file text.
  std::string ReportFormatTagName(uint16_t tag) const;

  // The lines, as split when loaded.
  std::vector<std::string> Lines() const;

 private:
  // Indexes the lines of FOwnText, or of outerText when given (bytes that live as long
  // as the process, which the table then reads where they are).
  void Index(std::string_view outerText = {});
  std::string_view Text() const { return FOuterText.data() ? FOuterText : std::string_view(FOwnText); }
  std::string_view LineText(const TFriendlyLine& line) const { return Text().substr(line.Start, line.Length); }

  std::string FOwnText;
  std::string_view FOuterText;
  TFriendlyIndex FIndex;
};

}  // namespace ambrel
