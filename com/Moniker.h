// The display names of filter monikers.
#pragma once

#include <string>
#include <string_view>

namespace ambrel::media {

// The display-name prefix of a moniker of the legacy filter category
// ({083863F1-70DE-11D0-BD40-00A0C911CE86}); the filter's instance name follows it.
inline constexpr std::u16string_view kLegacyFilterMonikerPrefix = u"@device:sw:{083863F1-70DE-11D0-BD40-00A0C911CE86}\\";

// The display name of the moniker of a legacy-category filter with the given instance
// name (the class id text of the filter).
inline std::u16string LegacyFilterDisplayName(std::u16string_view Instance) {
  std::u16string name(kLegacyFilterMonikerPrefix);
  name += Instance;
  return name;
}

}  // namespace ambrel::media
