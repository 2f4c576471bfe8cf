// SHA-1 digest, for name-based GUIDs.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace ambrel::media {

std::array<uint8_t, 20> Sha1(std::string_view data);

}  // namespace ambrel::media
