// Result codes of the COM-shaped platform interfaces: negative means failure.
#pragma once

#include <cstdint>

namespace ambrel {

using HRESULT = std::int32_t;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);

inline constexpr bool Succeeded(HRESULT Result) { return Result >= 0; }
inline constexpr bool Failed(HRESULT Result) { return Result < 0; }

}  // namespace ambrel
