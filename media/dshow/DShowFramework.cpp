#include <cstdlib>
#include <vector>

#include "media/dshow/DShowBackend.h"
#include "media/dshow/DShowObjects.h"

namespace ambrel::media {
namespace win {
namespace {

// The system's text for a code, or nothing when the system only restates the number
// (some systems answer every code with "Error: 0x...").
std::u16string SystemErrorText(HRESULT hr) {
  wchar_t buffer[MAX_ERROR_TEXT_LEN] = {};
  const DWORD n = ::AMGetErrorTextW(hr, buffer, MAX_ERROR_TEXT_LEN);
  if (n == 0) return {};
  const std::u16string text = FixedText(buffer);
  const std::u16string prefix = u"Error: 0x";
  if (text.compare(0, prefix.size(), prefix) != 0) return text;
  const std::string digits = WideToUtf8(text.substr(prefix.size()));
  char* end = nullptr;
  const unsigned long number = std::strtoul(digits.c_str(), &end, 16);
  return end && *end == '\0' && number == static_cast<uint32_t>(hr) ? std::u16string() : text;
}

class TDirectShowFramework : public TBasicMediaFramework {
 public:
  std::string Description() const override { return "DirectShow"; }
  HRESULT CoInitialize() override {
    EnsureCom();
    return TBasicMediaFramework::CoInitialize();
  }

  HRESULT CoCreateInstance(const CLSID& clsid, const IID& iid, ComPtr<IUnknown>& object) override {
    object.Reset();
    EnsureCom();
    struct TClass {
      const CLSID& Clsid;
      const IID& Iid;
      const ::CLSID& SysClsid;
      const ::IID& SysIid;
      ComPtr<IUnknown> (*Wrap)(::IUnknown*);
    };
    static const TClass classes[] = {
        {CLSID_SystemDeviceEnum, IID_ICreateDevEnum, ::CLSID_SystemDeviceEnum, ::IID_ICreateDevEnum,
         [](::IUnknown* p) { return ComPtr<IUnknown>(WrapDevEnum(TReal<::ICreateDevEnum>(static_cast<::ICreateDevEnum*>(p)))); }},
        {CLSID_FilterGraph, IID_IGraphBuilder, ::CLSID_FilterGraph, ::IID_IGraphBuilder,
         [](::IUnknown* p) { return ComPtr<IUnknown>(WrapGraph(TReal<::IGraphBuilder>(static_cast<::IGraphBuilder*>(p)))); }},
        {CLSID_FilterMapper2, IID_IFilterMapper2, ::CLSID_FilterMapper2, ::IID_IFilterMapper2,
         [](::IUnknown* p) { return ComPtr<IUnknown>(WrapMapper(TReal<::IFilterMapper2>(static_cast<::IFilterMapper2*>(p)))); }},
    };
    for (const TClass& c : classes) {
      if (c.Clsid != clsid) continue;
      if (c.Iid != iid) return E_NOINTERFACE;
      void* sys = nullptr;
      const HRESULT hr = ::CoCreateInstance(c.SysClsid, nullptr, CLSCTX_INPROC_SERVER, c.SysIid, &sys);
      if (FAILED(hr) || !sys) return FAILED(hr) ? hr : E_FAIL;
      object = c.Wrap(static_cast<::IUnknown*>(sys));
      return hr;
    }
    return REGDB_E_CLASSNOTREG;
  }

  HRESULT MkParseDisplayName(IBindCtx*, const std::u16string& displayName, ComPtr<IMoniker>& moniker) override {
    moniker.Reset();
    EnsureCom();
    TReal<::IBindCtx> ctx;
    HRESULT hr = ::CreateBindCtx(0, ctx.Out());
    if (FAILED(hr)) return hr;
    ULONG eaten = 0;
    TReal<::IMoniker> sys;
    hr = ::MkParseDisplayName(ctx.Get(), SysText(displayName).c_str(), &eaten, sys.Out());
    if (FAILED(hr) || !sys) return FAILED(hr) ? hr : MK_E_SYNTAX;
    moniker = WrapMoniker(sys);
    return hr;
  }

  HRESULT GetRunningObjectTable(uint32_t, ComPtr<IRunningObjectTable>& table) override {
    table.Reset();
    EnsureCom();
    TReal<::IRunningObjectTable> rot;
    const HRESULT hr = ::GetRunningObjectTable(0, rot.Out());
    if (FAILED(hr) || !rot) return FAILED(hr) ? hr : E_FAIL;
    table = WrapRot(rot);
    return hr;
  }

  uint32_t AMGetErrorTextW(HRESULT hr, char16_t* buffer, uint32_t size) override {
    const std::u16string text = SystemErrorText(hr);
    return CopyErrorText(text.empty() ? DefaultErrorText(static_cast<uint32_t>(hr)) : text, buffer, size);
  }
  ComPtr<IFilterGraph> TakeRenderedGraph() override { return win::TakeRenderedGraph(); }
  uint32_t GetTickCount() override { return ::GetTickCount(); }
  uint32_t GetCurrentProcessId() override { return ::GetCurrentProcessId(); }
  // The graph's own address, as other tools that browse the running object table show it.
  uint64_t GraphAddress(IGraphBuilder* graph) override {
    ::IUnknown* sys = SystemObject(graph);
    return sys ? reinterpret_cast<uintptr_t>(sys) : reinterpret_cast<uintptr_t>(graph);
  }

  int32_t RegQueryDefaultValue(const std::u16string& keyPath, std::u16string& value) override {
    value.clear();
    HKEY key = nullptr;
    LONG rc = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, SysText(keyPath).c_str(), 0, KEY_READ, &key);
    if (rc != ERROR_SUCCESS) return rc;
    DWORD type = 0, bytes = 0;
    rc = ::RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &bytes);
    if (rc == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
      std::vector<wchar_t> text(bytes / sizeof(wchar_t) + 1, L'\0');
      rc = ::RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &bytes);
      if (rc == ERROR_SUCCESS) value = OwnText(text.data());
    }
    ::RegCloseKey(key);
    return rc;
  }

  bool GetFileVersion(const std::u16string& path, uint32_t& versionMS, uint32_t& versionLS) override {
    versionMS = versionLS = 0;
    if (path.empty()) return false;
    const std::wstring name = SysText(path);
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(name.c_str(), &handle);
    if (size == 0) return false;
    std::vector<BYTE> block(size);
    if (!::GetFileVersionInfoW(name.c_str(), 0, size, block.data())) return false;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info ||
        length < sizeof *info) {
      return false;
    }
    versionMS = info->dwFileVersionMS;
    versionLS = info->dwFileVersionLS;
    return true;
  }
};

}  // namespace
}  // namespace win

std::unique_ptr<IMediaFramework> CreateDirectShowFramework() { return std::make_unique<win::TDirectShowFramework>(); }

// On Windows the platform's framework is the system's own.
std::unique_ptr<IMediaFramework> CreateDefaultMediaFramework(TFrameworkStart) { return CreateDirectShowFramework(); }

}  // namespace ambrel::media
