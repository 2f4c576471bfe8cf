// Result codes as COM gives them: success and failure, the codes the program knows by
// name, and the texts the system usually gives for them.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace ambrel::media {

using HRESULT = int32_t;

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }
constexpr HRESULT MakeHr(uint32_t code) { return static_cast<HRESULT>(code); }

// The result codes the layer produces and understands by name.
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = MakeHr(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = MakeHr(0x80004002);
inline constexpr HRESULT E_POINTER = MakeHr(0x80004003);
inline constexpr HRESULT E_ABORT = MakeHr(0x80004004);
inline constexpr HRESULT E_FAIL = MakeHr(0x80004005);
inline constexpr HRESULT E_UNEXPECTED = MakeHr(0x8000FFFF);
inline constexpr HRESULT E_ACCESSDENIED = MakeHr(0x80070005);
inline constexpr HRESULT E_OUTOFMEMORY = MakeHr(0x8007000E);
inline constexpr HRESULT E_INVALIDARG = MakeHr(0x80070057);
inline constexpr HRESULT HRESULT_FILE_NOT_FOUND = MakeHr(0x80070002);
inline constexpr HRESULT HRESULT_MOD_NOT_FOUND = MakeHr(0x8007007E);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = MakeHr(0x80040154);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = MakeHr(0x80040110);
inline constexpr HRESULT MK_E_SYNTAX = MakeHr(0x800401E4);
inline constexpr HRESULT MK_S_MONIKERALREADYREGISTERED = MakeHr(0x000401E7);
inline constexpr HRESULT CO_E_NOTINITIALIZED = MakeHr(0x800401F0);
inline constexpr HRESULT RPC_E_CHANGED_MODE = MakeHr(0x80010106);
inline constexpr HRESULT VFW_E_ALREADY_CONNECTED = MakeHr(0x80040204);
inline constexpr HRESULT VFW_E_NO_TYPES = MakeHr(0x80040206);
inline constexpr HRESULT VFW_E_NO_ACCEPTABLE_TYPES = MakeHr(0x80040207);
inline constexpr HRESULT VFW_E_INVALID_DIRECTION = MakeHr(0x80040208);
inline constexpr HRESULT VFW_E_NOT_CONNECTED = MakeHr(0x80040209);
inline constexpr HRESULT VFW_E_NOT_FOUND = MakeHr(0x80040216);
inline constexpr HRESULT VFW_E_CANNOT_CONNECT = MakeHr(0x80040217);
inline constexpr HRESULT VFW_E_CANNOT_RENDER = MakeHr(0x80040218);
inline constexpr HRESULT VFW_E_TYPE_NOT_ACCEPTED = MakeHr(0x8004022A);
inline constexpr HRESULT VFW_E_DUPLICATE_NAME = MakeHr(0x8004022D);
inline constexpr HRESULT VFW_S_DUPLICATE_NAME = MakeHr(0x0004022D);
inline constexpr HRESULT VFW_E_INVALID_FILE_FORMAT = MakeHr(0x8004022F);
inline constexpr HRESULT VFW_E_CIRCULAR_GRAPH = MakeHr(0x80040231);
inline constexpr HRESULT VFW_E_UNKNOWN_FILE_TYPE = MakeHr(0x80040240);
inline constexpr HRESULT VFW_E_CANNOT_LOAD_SOURCE_FILTER = MakeHr(0x80040241);
inline constexpr HRESULT VFW_S_PARTIAL_RENDER = MakeHr(0x00040242);
inline constexpr HRESULT VFW_E_NOT_IN_GRAPH = MakeHr(0x8004025F);
inline constexpr HRESULT VFW_E_UNSUPPORTED_STREAM = MakeHr(0x80040265);

// The name <-> value table of the codes above ("S_OK", "E_FAIL", ...). Returns false when
// the name is unknown (names are spelt exactly).
bool HResultFromName(std::string_view name, HRESULT& hr);

// The framework's usual text for a code (the texts Windows gives for these codes; some end
// in CR LF, which is part of the text). Empty for a code without text, 0 included. Every
// backend's AMGetErrorTextW may start from this table.
std::u16string DefaultErrorText(uint32_t code);

// Every code that has a DefaultErrorText, with its text.
std::map<uint32_t, std::u16string> DefaultErrorTexts();

// Writes the first size - 1 code points of text and a NUL; returns their number (0 and
// nothing written for an empty text).
uint32_t CopyErrorText(const std::u16string& text, char16_t* buffer, uint32_t size);

// Registry results (RegOpenKeyEx style): 0 on success.
inline constexpr int32_t ERROR_SUCCESS = 0;
inline constexpr int32_t ERROR_FILE_NOT_FOUND = 2;

}  // namespace ambrel::media
