// Win32 implementations of the file seams: files are opened by their wide names (the
// program's paths are UTF-8), so any name the file system holds can be read.
#include <windows.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "base/Utf16.h"
#include "io/ByteSource.h"
#include "io/DataFile.h"
#include "io/Executable.h"
#include "io/SaveFile.h"

namespace ambrel {
namespace {

std::wstring WidePath(const std::string& Path) {
  const std::u16string wide = media::Utf8ToWide(Path);
  return std::wstring(wide.begin(), wide.end());
}

// Opens an existing file for reading, sharing it with writers; only regular files (a
// device or a folder is refused).
HANDLE OpenRegularFile(const std::string& Path, DWORD& Error) {
  HANDLE h = ::CreateFileW(WidePath(Path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    Error = ::GetLastError();
    return h;
  }
  if (::GetFileType(h) != FILE_TYPE_DISK) {
    ::CloseHandle(h);
    Error = ERROR_INVALID_FUNCTION;
    return INVALID_HANDLE_VALUE;
  }
  return h;
}

class TWinFileSource : public TByteSource {
 public:
  TWinFileSource(HANDLE File, int64_t Size) : FFile(File), FSize(Size) {}
  ~TWinFileSource() override { ::CloseHandle(FFile); }
  TWinFileSource(const TWinFileSource&) = delete;
  TWinFileSource& operator=(const TWinFileSource&) = delete;

  int64_t ReadAt(int64_t Offset, void* Buffer, int64_t Count) override {
    if (Offset < 0 || Count < 0) return -1;
    ++FReadCalls;
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(Offset);
    at.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(Offset) >> 32);
    const DWORD want = Count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(Count);
    DWORD got = 0;
    if (::ReadFile(FFile, Buffer, want, &got, &at)) return got;
    return ::GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
  }
  int64_t Size() override { return FSize; }
  uint64_t ReadCalls() const override { return FReadCalls; }

 private:
  HANDLE FFile;
  int64_t FSize;
  uint64_t FReadCalls = 0;
};

// The reason for a failure, in the C runtime's words where it has them (the same words
// the other builds give), else in the system's.
std::string SystemMessage(DWORD Code) {
  static const std::pair<DWORD, int> kErrno[] = {
      {ERROR_FILE_NOT_FOUND, ENOENT}, {ERROR_PATH_NOT_FOUND, ENOENT},  {ERROR_INVALID_NAME, ENOENT},
      {ERROR_ACCESS_DENIED, EACCES},  {ERROR_SHARING_VIOLATION, EACCES}, {ERROR_DIRECTORY, EISDIR},
  };
  for (const auto& [code, number] : kErrno) {
    if (code == Code) return std::strerror(number);
  }
  wchar_t* text = nullptr;
  const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, Code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::u16string wide(text, text + n);
  if (text) ::LocalFree(text);
  while (!wide.empty() && (wide.back() == u'\r' || wide.back() == u'\n' || wide.back() == u' ')) wide.pop_back();
  return wide.empty() ? "Error " + std::to_string(Code) : media::WideToUtf8(wide);
}

}  // namespace

std::unique_ptr<TByteSource> OpenFileSource(const std::string& Path, std::string* Failure) {
  DWORD error = 0;
  HANDLE h = OpenRegularFile(Path, error);
  if (h == INVALID_HANDLE_VALUE) {
    if (Failure) {
      // A folder cannot be opened as a file: the system says "access denied" for it.
      const DWORD attributes = ::GetFileAttributesW(WidePath(Path).c_str());
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) error = ERROR_DIRECTORY;
      *Failure = error == ERROR_INVALID_FUNCTION ? "Not a regular file" : SystemMessage(error);
    }
    return nullptr;
  }
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(h, &size)) {
    if (Failure) *Failure = SystemMessage(::GetLastError());
    ::CloseHandle(h);
    return nullptr;
  }
  return std::make_unique<TWinFileSource>(h, static_cast<int64_t>(size.QuadPart));
}

namespace platform {

TReadResult ReadWholeFile(const std::string& Path, int64_t MaxSize, std::string& Bytes) {
  Bytes.clear();
  const auto failure = [&](TReadStatus Status, const std::string& Reason) {
    return TReadResult{Status, "Cannot open file \"" + Path + "\". " + Reason};
  };
  const DWORD attributes = ::GetFileAttributesW(WidePath(Path).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return failure(TReadStatus::NotRegular, SystemMessage(ERROR_DIRECTORY));
  }
  DWORD error = 0;
  HANDLE h = OpenRegularFile(Path, error);
  if (h == INVALID_HANDLE_VALUE) {
    if (error == ERROR_INVALID_FUNCTION) return failure(TReadStatus::NotRegular, "Not a regular file");
    const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    return failure(missing ? TReadStatus::Missing : TReadStatus::Unreadable, SystemMessage(error));
  }
  TWinFileSource file(h, 0);
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(h, &size)) return failure(TReadStatus::Unreadable, SystemMessage(::GetLastError()));
  if (size.QuadPart > MaxSize) {
    return failure(TReadStatus::TooLarge, "File is larger than " + std::to_string(MaxSize) + " bytes");
  }
  Bytes.resize(static_cast<size_t>(size.QuadPart));
  size_t done = 0;
  while (done < Bytes.size()) {
    const int64_t n = file.ReadAt(static_cast<int64_t>(done), Bytes.data() + done, static_cast<int64_t>(Bytes.size() - done));
    if (n < 0) {
      const DWORD code = ::GetLastError();
      Bytes.clear();
      return failure(TReadStatus::Unreadable, SystemMessage(code));
    }
    if (n == 0) break;  // shrank while being read: keep what was there
    done += static_cast<size_t>(n);
  }
  Bytes.resize(done);
  return {};
}

// The folder of the running .exe, with '/' separators like every path the program
// builds, and a trailing '/'.
std::string ExecutableDirectory() {
  std::wstring buffer(32768, L'\0');
  const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  if (n == 0 || n >= buffer.size()) return "";
  std::string path = media::WideToUtf8(std::u16string(buffer.begin(), buffer.begin() + n));
  for (char& c : path) c = c == '\\' ? '/' : c;
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

std::string SaveFile(const std::string& Path, std::string_view Bytes) {
  const std::wstring target = WidePath(Path);
  const DWORD attributes = ::GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return SystemMessage(ERROR_DIRECTORY);
  }
  // The bytes go to a new file beside the target, which replaces it once complete.
  static std::atomic<unsigned> counter{0};
  std::wstring temporary;
  HANDLE h = INVALID_HANDLE_VALUE;
  for (unsigned attempt = 0; h == INVALID_HANDLE_VALUE && attempt < 100; ++attempt) {
    temporary = WidePath(Path + ".saving-" + std::to_string(::GetCurrentProcessId()) + "-" +
                         std::to_string(counter++));
    h = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS) return SystemMessage(::GetLastError());
  }
  if (h == INVALID_HANDLE_VALUE) return SystemMessage(ERROR_FILE_EXISTS);
  DWORD error = 0;
  if (::GetFileType(h) != FILE_TYPE_DISK) error = ERROR_INVALID_FUNCTION;
  while (error == 0 && !Bytes.empty()) {
    const DWORD want = Bytes.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(Bytes.size());
    DWORD wrote = 0;
    if (!::WriteFile(h, Bytes.data(), want, &wrote, nullptr) || wrote == 0) error = ::GetLastError();
    Bytes.remove_prefix(wrote);
  }
  if (error == 0 && !::FlushFileBuffers(h)) error = ::GetLastError();
  if (!::CloseHandle(h) && error == 0) error = ::GetLastError();
  if (error == 0 && !::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = ::GetLastError();
  }
  if (error != 0) {
    ::DeleteFileW(temporary.c_str());
    return error == ERROR_INVALID_FUNCTION ? "Not a regular file" : SystemMessage(error == 0 ? ERROR_WRITE_FAULT : error);
  }
  return {};
}

std::vector<std::string> ModuleDirectories() {
  std::string dir = ExecutableDirectory();
  if (dir.empty()) return {};
  return {dir};
}

}  // namespace platform
}  // namespace ambrel
