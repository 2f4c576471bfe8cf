#include "app/window/win32/Win32Platform.h"

#include <shlobj.h>

#include <memory>
#include <vector>

#include "io/SaveFile.h"

namespace ambrel::win32 {

std::wstring Wide(std::string_view Utf8) {
  if (Utf8.empty()) return {};
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, Utf8.data(), static_cast<int>(Utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, Utf8.data(), static_cast<int>(Utf8.size()), out.data(), n);
  return out;
}

std::string Utf8(std::wstring_view Text) {
  if (Text.empty()) return {};
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, Text.data(), static_cast<int>(Text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, Text.data(), static_cast<int>(Text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::string SystemMessage(DWORD Error) {
  wchar_t* text = nullptr;
  const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, Error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message(text ? text : L"", n);
  if (text) ::LocalFree(text);
  while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' ' ||
                              message.back() == L'.'))
    message.pop_back();
  if (message.empty()) return "error " + std::to_string(Error);
  return Utf8(message);
}

namespace {

// True when a file can be made in Dir: one is made and removed again.
bool CanWriteIn(const std::string& Dir) {
  const std::wstring probe = Wide(Dir) + L"ambrel-write-check.tmp";
  const HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(file);
  return true;
}

std::string LocalAppData() {
  wchar_t* path = nullptr;
  std::string folder;
  if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &path)) && path) folder = Utf8(path);
  ::CoTaskMemFree(path);
  if (folder.empty()) {
    const DWORD n = ::GetEnvironmentVariableW(L"LOCALAPPDATA", nullptr, 0);
    if (n > 0) {
      std::wstring value(n, L'\0');
      value.resize(::GetEnvironmentVariableW(L"LOCALAPPDATA", value.data(), n));
      folder = Utf8(value);
    }
  }
  return folder;
}

}  // namespace

std::string ChooseReportFolder(const std::string& ExeDir, std::string* Problem) {
  if (!ExeDir.empty() && CanWriteIn(ExeDir)) return ExeDir;
  const std::string data = LocalAppData();
  const std::string dir = data.empty() ? std::string() : data + "\\Ambrel\\";
  if (!dir.empty()) {
    ::CreateDirectoryW(Wide(dir).c_str(), nullptr);
    if (CanWriteIn(dir)) return dir;
  }
  if (Problem) *Problem = "neither " + ExeDir + " nor " + (dir.empty() ? "%LOCALAPPDATA%\\Ambrel\\" : dir) + " can be written";
  return {};
}

// A failed save keeps the old report: the file layer writes a temporary file and renames it.
std::string WriteReportFile(const std::string& Path, std::string_view Bytes) { return platform::SaveFile(Path, Bytes); }

std::string ProgramFileVersion() {
  wchar_t exe[MAX_PATH];
  if (::GetModuleFileNameW(nullptr, exe, MAX_PATH) == 0) return {};
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(exe, &ignored);
  if (size == 0) return {};
  std::vector<char> data(size);
  if (!::GetFileVersionInfoW(exe, 0, size, data.data())) return {};
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info) return {};
  return std::to_string(HIWORD(info->dwFileVersionMS)) + "." + std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
         std::to_string(HIWORD(info->dwFileVersionLS)) + "." + std::to_string(LOWORD(info->dwFileVersionLS));
}

bool SaveWindowPicture(HWND Window, const std::string& Path) {
  RECT frame;
  if (!::GetWindowRect(Window, &frame)) return false;
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  if (width <= 0 || height <= 0) return false;
  const HDC screen = ::GetDC(nullptr);
  const HDC memory = ::CreateCompatibleDC(screen);
  const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
  const HGDIOBJ old = ::SelectObject(memory, bitmap);
  // What the screen shows where the window is: its own drawing and its children's.
  ::BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
  ::SelectObject(memory, old);
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;  // bottom-up, as BMP files keep rows
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  std::vector<char> pixels(static_cast<size_t>(stride) * static_cast<size_t>(height));
  const int rows = ::GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                               reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  if (rows != height) return false;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
  header.biSizeImage = static_cast<DWORD>(pixels.size());
  bytes.append(reinterpret_cast<const char*>(&header), sizeof header);
  bytes.append(pixels.data(), pixels.size());
  return WriteReportFile(Path, bytes).empty();
}

}  // namespace ambrel::win32
