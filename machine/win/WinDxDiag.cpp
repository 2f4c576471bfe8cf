#include "machine/win/WinDxDiag.h"

#include <map>
#include <mutex>
#include <string>

#include "base/Utf16.h"

// The system headers come after the project's: they define S_OK, FAILED and friends as
// macros, which the project's headers declare as names.
#include <windows.h>
#include <initguid.h>  // the provider's class and interface ids are in no import library
#include <dxdiag.h>
// winuser.h names a window function GetProp; the container's method of that name was
// declared under the macro, as GetPropW.
#undef GetProp

namespace ambrel::platform {
namespace {

std::wstring Wide(const std::string& Text) {
  const std::u16string wide = media::Utf8ToWide(Text);
  return std::wstring(wide.begin(), wide.end());
}

std::string Utf8(const wchar_t* Text) {
  const std::wstring wide(Text);
  return media::WideToUtf8(std::u16string(wide.begin(), wide.end()));
}

// One system container, with the children asked for kept (the interface hands out
// children the provider owns).
class TWinContainer : public IDxDiagContainer {
 public:
  explicit TWinContainer(::IDxDiagContainer* Com) : FCom(Com) {}
  ~TWinContainer() override { FCom->Release(); }
  TWinContainer(const TWinContainer&) = delete;
  TWinContainer& operator=(const TWinContainer&) = delete;

  HRESULT GetNumberOfChildContainers(uint32_t& Count) const override {
    DWORD n = 0;
    const HRESULT hr = FCom->GetNumberOfChildContainers(&n);
    Count = SUCCEEDED(hr) ? n : 0;
    return hr;
  }
  HRESULT EnumChildContainerNames(uint32_t Index, std::string& Name) const override {
    wchar_t buffer[256] = {};
    const HRESULT hr = FCom->EnumChildContainerNames(Index, buffer, 256);
    Name = SUCCEEDED(hr) ? Utf8(buffer) : std::string();
    return hr;
  }
  HRESULT GetChildContainer(const std::string& Path, const IDxDiagContainer*& Child) const override {
    Child = nullptr;
    std::lock_guard lock(FLock);
    auto& kept = FChildren[Path];
    if (!kept) {
      ::IDxDiagContainer* com = nullptr;
      const HRESULT hr = FCom->GetChildContainer(Wide(Path).c_str(), &com);
      if (FAILED(hr) || !com) {
        FChildren.erase(Path);
        return FAILED(hr) ? hr : E_FAIL;
      }
      kept = std::make_unique<TWinContainer>(com);
    }
    Child = kept.get();
    return S_OK;
  }
  HRESULT GetProp(const std::string& Name, TDxDiagVariant& Value) const override {
    Value = {};
    VARIANT v;
    ::VariantInit(&v);
    const HRESULT hr = FCom->GetPropW(Wide(Name).c_str(), &v);
    if (FAILED(hr)) return hr;
    switch (v.vt) {
      case VT_BSTR:
        Value.Kind = TDxDiagVariant::TKind::Text;
        Value.Text = v.bstrVal ? Utf8(v.bstrVal) : "";
        break;
      case VT_UI4: Value = {TDxDiagVariant::TKind::Number, "", v.ulVal}; break;
      case VT_I4: Value = {TDxDiagVariant::TKind::Number, "", static_cast<uint64_t>(static_cast<int64_t>(v.lVal))}; break;
      case VT_BOOL: Value = {TDxDiagVariant::TKind::Number, "", v.boolVal ? 1u : 0u}; break;
      case VT_UI8: Value = {TDxDiagVariant::TKind::Number, "", v.ullVal}; break;
      default: break;
    }
    ::VariantClear(&v);
    return S_OK;
  }

 private:
  ::IDxDiagContainer* FCom;
  mutable std::mutex FLock;
  mutable std::map<std::string, std::unique_ptr<TWinContainer>> FChildren;
};

class TWinDxDiagProvider : public IDxDiagProvider {
 public:
  ~TWinDxDiagProvider() override {
    FRoot.reset();
    if (FCom) FCom->Release();
  }
  HRESULT Initialize() override {
    // The provider is registered for single-threaded apartments: created from the
    // multithreaded one it would need marshalling code it does not have. A thread that
    // already has an apartment keeps it.
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HRESULT hr = ::CoCreateInstance(CLSID_DxDiagProvider, nullptr, CLSCTX_INPROC_SERVER, IID_IDxDiagProvider,
                                    reinterpret_cast<void**>(&FCom));
    if (FAILED(hr)) return hr;
    DXDIAG_INIT_PARAMS params{};
    params.dwSize = sizeof params;
    params.dwDxDiagHeaderVersion = DXDIAG_DX9_SDK_VERSION;
    params.bAllowWHQLChecks = FALSE;
    hr = FCom->Initialize(&params);
    if (FAILED(hr)) return hr;
    ::IDxDiagContainer* root = nullptr;
    hr = FCom->GetRootContainer(&root);
    if (FAILED(hr) || !root) return FAILED(hr) ? hr : E_FAIL;
    FRoot = std::make_unique<TWinContainer>(root);
    return S_OK;
  }
  HRESULT GetRootContainer(const IDxDiagContainer*& Root) override {
    Root = FRoot.get();
    return FRoot ? S_OK : E_FAIL;
  }

 private:
  ::IDxDiagProvider* FCom = nullptr;
  std::unique_ptr<TWinContainer> FRoot;
};

}  // namespace

std::unique_ptr<IDxDiagProvider> CreateWindowsDxDiagProvider() { return std::make_unique<TWinDxDiagProvider>(); }

}  // namespace ambrel::platform
