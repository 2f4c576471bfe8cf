// File arguments holding the wildcards * and ?, expanded by the program itself where the
// shell hands them on as typed (Windows): the last part of the path is matched against
// the names of its folder, ignoring letter case; the matches replace the argument, in path
// order; an argument that matches nothing, or whose folder part holds a wildcard, is kept
// as it is, so that its analysis says why it cannot be opened.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ambrel {

// Whether Name matches Pattern: * stands for any run of characters, ? for one (a pair of
// surrogates counts as one). Letters are compared through Fold (by default ASCII upper case).
using TCharFold = char16_t (*)(char16_t);
bool MatchesFilePattern(std::u16string_view Pattern, std::u16string_view Name, TCharFold Fold = nullptr);

// The names of the entries of a folder (given in UTF-8 as typed, "" for the current one),
// "." and ".." left out; empty when it cannot be read.
using TFolderNames = std::function<std::vector<std::string>(const std::string& Folder)>;

// Expands each argument of Args that holds * or ?, listing folders through Names.
std::vector<std::string> ExpandFilePatterns(const std::vector<std::string>& Args, const TFolderNames& Names,
                                            TCharFold Fold = nullptr);

#ifdef _WIN32
// ExpandFilePatterns over the system's folders and its letter case (win/FilePatternsWin.cpp).
std::vector<std::string> ExpandSystemFilePatterns(const std::vector<std::string>& Args);
#endif

}  // namespace ambrel
