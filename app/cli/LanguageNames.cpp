#include "app/cli/LanguageNames.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace ambrel::resources {
std::string_view IsoLanguageNames();  // "code<TAB>name" lines sorted by code
}

namespace ambrel {

namespace {

using TRow = std::pair<std::string_view, std::string_view>;

const std::vector<TRow>& Rows() {
  static const std::vector<TRow> rows = [] {
    std::vector<TRow> list;
    std::string_view text = resources::IsoLanguageNames();
    while (!text.empty()) {
      const size_t end = std::min(text.find('\n'), text.size());
      const std::string_view line = text.substr(0, end);
      const size_t tab = line.find('\t');
      if (tab != std::string_view::npos) list.emplace_back(line.substr(0, tab), line.substr(tab + 1));
      text.remove_prefix(std::min(end + 1, text.size()));
    }
    return list;
  }();
  return rows;
}

}  // namespace

std::string IsoLanguageName(std::string_view Code) {
  const std::string_view primary = Code.substr(0, Code.find_first_of("-_"));
  if (primary.size() < 2 || primary.size() > 3) return "";
  std::string key;
  for (const char c : primary) key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  const auto& rows = Rows();
  const auto found = std::lower_bound(rows.begin(), rows.end(), key,
                                      [](const TRow& Row, const std::string& K) { return Row.first < K; });
  return found != rows.end() && found->first == key ? std::string(found->second) : std::string();
}

}  // namespace ambrel
