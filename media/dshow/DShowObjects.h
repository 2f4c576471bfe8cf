// The wrappers of the system's DirectShow objects (see DShowBackend.h). Included after
// the project's headers: the Windows headers define S_OK, FAILED and others as macros.
#pragma once

#include <string>
#include <utility>

#include "com/BoundedReads.h"
#include "media/MediaFramework.h"

#include <windows.h>
#include <dshow.h>

namespace ambrel::media::win {

// Holds one reference to a system COM object.
template <class T>
class TReal {
 public:
  TReal() = default;
  explicit TReal(T* p) : FP(p) {}  // adopts p's reference
  TReal(const TReal& o) : FP(o.FP) {
    if (FP) FP->AddRef();
  }
  TReal& operator=(TReal o) {
    std::swap(FP, o.FP);
    return *this;
  }
  ~TReal() {
    if (FP) FP->Release();
  }
  T* Get() const { return FP; }
  T* operator->() const { return FP; }
  T** Out() {
    *this = TReal();
    return &FP;
  }
  explicit operator bool() const { return FP != nullptr; }

 private:
  T* FP = nullptr;
};

inline ::GUID ToSystem(const GUID& g) {
  ::GUID r{g.Data1, g.Data2, g.Data3, {}};
  for (int i = 0; i < 8; ++i) r.Data4[i] = g.Data4[i];
  return r;
}
inline GUID FromSystem(const ::GUID& g) {
  GUID r{static_cast<uint32_t>(g.Data1), g.Data2, g.Data3, {}};
  for (int i = 0; i < 8; ++i) r.Data4[i] = g.Data4[i];
  return r;
}
inline std::wstring SysText(const std::u16string& t) { return std::wstring(t.begin(), t.end()); }
inline std::u16string OwnText(const wchar_t* t) { return t ? std::u16string(t, t + wcslen(t)) : std::u16string(); }
// Joins the calling thread to a COM apartment once.
void EnsureCom();
// The graph the calling thread's latest RenderFile built (kept until taken or the next
// RenderFile), handed over once.
TReal<::IGraphBuilder>& KeptGraph();
ComPtr<IFilterGraph> TakeRenderedGraph();

ComPtr<IBaseFilter> WrapFilter(TReal<::IBaseFilter> filter);
ComPtr<IMoniker> WrapMoniker(TReal<::IMoniker> moniker);
ComPtr<IEnumMoniker> WrapMonikers(::IEnumMoniker* monikers);
ComPtr<IGraphBuilder> WrapGraph(TReal<::IGraphBuilder> graph);
ComPtr<ICreateDevEnum> WrapDevEnum(TReal<::ICreateDevEnum> devEnum);
ComPtr<IFilterMapper2> WrapMapper(TReal<::IFilterMapper2> mapper);
ComPtr<IRunningObjectTable> WrapRot(TReal<::IRunningObjectTable> rot);

// The system object behind one of the wrappers above; null for any other object.
::IUnknown* SystemObject(IUnknown* own);
::IBaseFilter* SystemFilter(IBaseFilter* own);
::IPin* SystemPin(IPin* own);

}  // namespace ambrel::media::win
