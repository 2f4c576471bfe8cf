#include "app/cli/FilePatterns.h"

#include <algorithm>

#include "base/Utf16.h"

namespace ambrel {

namespace {

char16_t AsciiUpper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

// The length of the character at i (2 for a surrogate pair).
size_t CharLength(std::u16string_view Text, size_t i) { return media::SurrogatePairAt(Text, i) ? 2 : 1; }

bool HasWildcard(std::string_view Arg) { return Arg.find_first_of("*?") != std::string_view::npos; }

}  // namespace

bool MatchesFilePattern(std::u16string_view Pattern, std::u16string_view Name, TCharFold Fold) {
  if (!Fold) Fold = AsciiUpper;
  // Greedy matching with one point to come back to: the latest *. Linear in practice,
  // at worst Pattern × Name steps, never recursive.
  size_t p = 0, n = 0;
  size_t starP = std::u16string_view::npos, starN = 0;
  while (n < Name.size()) {
    if (p < Pattern.size() && Pattern[p] == u'*') {
      starP = ++p;
      starN = n;
    } else if (p < Pattern.size() && Pattern[p] == u'?') {
      ++p;
      n += CharLength(Name, n);
    } else if (p < Pattern.size() && Fold(Pattern[p]) == Fold(Name[n])) {
      ++p;
      ++n;
    } else if (starP != std::u16string_view::npos) {
      p = starP;
      starN += CharLength(Name, starN);
      n = starN;
    } else {
      return false;
    }
  }
  while (p < Pattern.size() && Pattern[p] == u'*') ++p;
  return p == Pattern.size();
}

std::vector<std::string> ExpandFilePatterns(const std::vector<std::string>& Args, const TFolderNames& Names,
                                            TCharFold Fold) {
  std::vector<std::string> expanded;
  for (const std::string& arg : Args) {
    // The folder part ends at the last separator, or after a drive letter ("C:*.mkv").
    size_t cut = arg.find_last_of("\\/");
    cut = cut == std::string::npos ? (arg.size() >= 2 && arg[1] == ':' ? 2 : 0) : cut + 1;
    const std::string folder = arg.substr(0, cut);
    const std::string_view last = std::string_view(arg).substr(cut);
    if (!HasWildcard(last) || HasWildcard(folder)) {
      expanded.push_back(arg);
      continue;
    }
    const std::u16string pattern = media::Utf8ToWide(last);
    std::vector<std::string> matches;
    for (const std::string& name : Names(folder)) {
      if (MatchesFilePattern(pattern, media::Utf8ToWide(name), Fold)) matches.push_back(folder + name);
    }
    if (matches.empty()) {
      expanded.push_back(arg);
      continue;
    }
    std::sort(matches.begin(), matches.end());
    expanded.insert(expanded.end(), matches.begin(), matches.end());
  }
  return expanded;
}

}  // namespace ambrel
