// What the Win32 window needs of the system: text in UTF-16, the folder the reports go
// to, the writing of a file with the system's reason on failure, the program's file
// version, and a picture of a window.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace ambrel::win32 {

std::wstring Wide(std::string_view Utf8);
std::string Utf8(std::wstring_view Wide);

// The system's text for an error code, without the full stop and line end it ends with.
std::string SystemMessage(DWORD Error);

// ExeDir (ending in '/') when a file can be made there, else the Ambrel folder in
// %LOCALAPPDATA% (made when missing); empty when neither, with why in *Problem.
std::string ChooseReportFolder(const std::string& ExeDir, std::string* Problem);

// Writes Bytes to Path (UTF-8), replacing what it held. Returns why it could not, or
// nothing.
std::string WriteReportFile(const std::string& Path, std::string_view Bytes);

// The file version in the running program's version resource ("1.2.3.4"); empty when it
// has none.
std::string ProgramFileVersion();

// Writes what Window shows on the screen, frame included, to Path as a 24-bit BMP.
bool SaveWindowPicture(HWND Window, const std::string& Path);

}  // namespace ambrel::win32
