#include "platform/BasicMediaFramework.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>

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

uint32_t CopyErrorText(const std::u16string& text, char16_t* buffer, uint32_t size) {
  if (text.empty() || size == 0 || !buffer) return 0;
  uint32_t count = 0;
  size_t at = 0;
  size_t i = 0;
  while (i < text.size() && count + 1 < size) {
    const bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                      text[i + 1] <= 0xDFFF;
    buffer[at++] = text[i++];
    if (pair) buffer[at++] = text[i++];
    ++count;
  }
  buffer[at] = 0;
  return count;
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

std::unique_ptr<IMediaFramework> CreateDefaultMediaFramework() {
#ifdef AMBREL_HAVE_GSTREAMER
  if (auto gst = CreateGStreamerFramework()) return gst;
#endif
  return CreateNoMediaFramework();
}

}  // namespace ambrel::media
