// A media framework that passes every call to another; tests override what they watch.
#pragma once

#include <memory>
#include <string>

#include "media/MediaFramework.h"

namespace ambrel::testing {

class TForwardingFramework : public media::IMediaFramework {
 public:
  using HRESULT = media::HRESULT;
  explicit TForwardingFramework(std::unique_ptr<media::IMediaFramework> inner) : FInner(std::move(inner)) {}

  std::string Description() const override { return FInner->Description(); }
  HRESULT CoInitialize() override { return FInner->CoInitialize(); }
  void CoUninitialize() override { FInner->CoUninitialize(); }
  HRESULT CoCreateInstance(const media::CLSID& c, const media::IID& i, media::ComPtr<media::IUnknown>& o) override {
    return FInner->CoCreateInstance(c, i, o);
  }
  HRESULT CreateBindCtx(uint32_t r, media::ComPtr<media::IBindCtx>& c) override { return FInner->CreateBindCtx(r, c); }
  HRESULT MkParseDisplayName(media::IBindCtx* c, const std::u16string& n, media::ComPtr<media::IMoniker>& m) override {
    return FInner->MkParseDisplayName(c, n, m);
  }
  HRESULT GetRunningObjectTable(uint32_t r, media::ComPtr<media::IRunningObjectTable>& t) override {
    return FInner->GetRunningObjectTable(r, t);
  }
  HRESULT CreateItemMoniker(const std::u16string& d, const std::u16string& item,
                            media::ComPtr<media::IMoniker>& m) override {
    return FInner->CreateItemMoniker(d, item, m);
  }
  uint32_t AMGetErrorTextW(HRESULT hr, char16_t* b, uint32_t s) override { return FInner->AMGetErrorTextW(hr, b, s); }
  uint32_t GetTickCount() override { return FInner->GetTickCount(); }
  uint32_t GetCurrentProcessId() override { return FInner->GetCurrentProcessId(); }
  uint64_t GraphAddress(media::IGraphBuilder* g) override { return FInner->GraphAddress(g); }
  int64_t FilterNameChars() override { return FInner->FilterNameChars(); }
  bool BuildsGraphsConcurrently() override { return FInner->BuildsGraphsConcurrently(); }
  int32_t RegQueryDefaultValue(const std::u16string& k, std::u16string& v) override {
    return FInner->RegQueryDefaultValue(k, v);
  }
  bool FileExists(const std::u16string& p) override { return FInner->FileExists(p); }
  bool GetFileVersion(const std::u16string& p, uint32_t& ms, uint32_t& ls) override {
    return FInner->GetFileVersion(p, ms, ls);
  }

 private:
  std::unique_ptr<media::IMediaFramework> FInner;
};

}  // namespace ambrel::testing
