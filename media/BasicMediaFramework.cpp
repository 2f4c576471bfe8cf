#include "media/BasicMediaFramework.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <mutex>

#include "media/DeferredFramework.h"
#include "io/Executable.h"
#include "media/MediaModule.h"

namespace ambrel::media {

HRESULT TItemMoniker::BindToStorage(IBindCtx*, ComPtr<IPropertyBag>& bag) {
  bag.Reset();
  return E_NOTIMPL;
}

HRESULT TItemMoniker::BindToObject(IBindCtx*, ComPtr<IBaseFilter>& filter) {
  filter.Reset();
  return E_NOTIMPL;
}

HRESULT TItemMoniker::GetDisplayName(std::u16string& name) {
  name = FItem;
  return S_OK;
}

HRESULT TRunningObjectTable::Register(uint32_t, IUnknown* object, IMoniker* moniker, uint32_t& cookie) {
  cookie = 0;
  if (FForced && FAILED(FForcedHr)) return FForcedHr;
  if (!moniker) return E_INVALIDARG;
  std::u16string item;
  moniker->GetDisplayName(item);
  std::lock_guard lock(FLock);
  bool already = false;
  for (const auto& [key, entry] : FEntries) already = already || entry.item == item;
  cookie = FNextCookie++;
  FEntries[cookie] = Entry{item, ComPtr<IUnknown>(object)};
  if (FForced) return FForcedHr;
  return already ? MK_S_MONIKERALREADYREGISTERED : S_OK;
}

HRESULT TRunningObjectTable::Revoke(uint32_t cookie) {
  Entry gone;  // released after the lock
  std::lock_guard lock(FLock);
  const auto it = FEntries.find(cookie);
  if (it == FEntries.end()) return E_INVALIDARG;
  gone = std::move(it->second);
  FEntries.erase(it);
  return S_OK;
}

TBasicMediaFramework::TBasicMediaFramework() : FRot(MakeCom<TRunningObjectTable>()) {}

HRESULT TBasicMediaFramework::CoInitialize() {
  std::lock_guard lock(FLock);
  ++FInitCount;
  return S_OK;
}

void TBasicMediaFramework::CoUninitialize() {
  std::lock_guard lock(FLock);
  if (FInitCount > 0) --FInitCount;
}

HRESULT TBasicMediaFramework::CoCreateInstance(const CLSID&, const IID&, ComPtr<IUnknown>& object) {
  object.Reset();
  return REGDB_E_CLASSNOTREG;
}

HRESULT TBasicMediaFramework::CreateBindCtx(uint32_t, ComPtr<IBindCtx>& ctx) {
  ctx = MakeCom<TBindCtx>();
  return S_OK;
}

HRESULT TBasicMediaFramework::MkParseDisplayName(IBindCtx*, const std::u16string&, ComPtr<IMoniker>& moniker) {
  moniker.Reset();
  return MK_E_SYNTAX;
}

HRESULT TBasicMediaFramework::GetRunningObjectTable(uint32_t, ComPtr<IRunningObjectTable>& table) {
  table = FRot;
  return S_OK;
}

HRESULT TBasicMediaFramework::CreateItemMoniker(const std::u16string&, const std::u16string& item,
                                                ComPtr<IMoniker>& moniker) {
  moniker = MakeCom<TItemMoniker>(item);
  return S_OK;
}

uint32_t TBasicMediaFramework::AMGetErrorTextW(HRESULT hr, char16_t* buffer, uint32_t size) {
  return CopyErrorText(DefaultErrorText(static_cast<uint32_t>(hr)), buffer, size);
}

uint32_t TBasicMediaFramework::GetTickCount() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

uint32_t TBasicMediaFramework::GetCurrentProcessId() { return static_cast<uint32_t>(getpid()); }

int32_t TBasicMediaFramework::RegQueryDefaultValue(const std::u16string&, std::u16string& value) {
  value.clear();
  return ERROR_FILE_NOT_FOUND;
}

bool TBasicMediaFramework::FileExists(const std::u16string& path) {
  if (path.empty()) return false;
  struct stat st;
  return stat(WideToUtf8(path).c_str(), &st) == 0;
}

bool TBasicMediaFramework::GetFileVersion(const std::u16string&, uint32_t& versionMS, uint32_t& versionLS) {
  versionMS = versionLS = 0;
  return false;
}

std::unique_ptr<IMediaFramework> CreateNoMediaFramework() { return std::make_unique<TBasicMediaFramework>(); }

namespace {

// The framework module beside the executable or in the installed library folder; empty
// when there is none.
std::string MediaModulePath() {
#ifdef AMBREL_MEDIA_MODULE_FILE
  for (const std::string& dir : platform::ModuleDirectories()) {
    const std::string path = dir + AMBREL_MEDIA_MODULE_FILE;
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return path;
  }
#endif
  return {};
}

// The entry point of the module, opened once per process and never closed (its objects
// and threads may outlive any one framework); null when it does not open.
TMediaModuleEntry* MediaModuleEntry(const std::string& path) {
  static std::mutex lock;
  static std::map<std::string, TMediaModuleEntry*> opened;
  std::lock_guard guard(lock);
  if (const auto it = opened.find(path); it != opened.end()) return it->second;
  TMediaModuleEntry* entry = nullptr;
  // Local: the module's libraries stay out of the program's symbol scope.
  if (void* module = dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL)) {
    entry = reinterpret_cast<TMediaModuleEntry*>(dlsym(module, kMediaModuleEntry));
    if (!entry) dlclose(module);
  }
  return opened[path] = entry;
}

}  // namespace

std::unique_ptr<IMediaFramework> CreateDefaultMediaFramework(TFrameworkStart start) {
  std::string path = MediaModulePath();
  if (path.empty()) return CreateNoMediaFramework();
  // Opening the module and starting the framework take a while: the program goes on with
  // its work (the file's own report) meanwhile.
  return std::make_unique<TDeferredFramework>([path = std::move(path)]() -> std::unique_ptr<IMediaFramework> {
    TMediaModuleEntry* entry = MediaModuleEntry(path);
    return std::unique_ptr<IMediaFramework>(entry ? entry(kMediaModuleAbi) : nullptr);
  }, start);
}

// GLib drops its quark table on purpose when the table grows (readers may still hold the
// old one), which the framework's many quarks make happen. The leak checker of sanitizer
// builds cannot unwind through GLib to tell that block from others, so it is told to pass
// over blocks GLib allocated; leaks of this program's own objects are still reported. The
// checker only asks the program itself, so these live here rather than in the module.
extern "C" const char* __lsan_default_suppressions() { return "leak:libglib-2.0.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }

}  // namespace ambrel::media
