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
  HRESULT CoInitialize() override { return Inner().CoInitialize(); }
  void CoUninitialize() override { Inner().CoUninitialize(); }
  HRESULT CoCreateInstance(const media::CLSID& c, const media::IID& i, media::ComPtr<media::IUnknown>& o) override {
    return Inner().CoCreateInstance(c, i, o);
  }
  HRESULT CreateBindCtx(uint32_t r, media::ComPtr<media::IBindCtx>& c) override { return Inner().CreateBindCtx(r, c); }
  HRESULT MkParseDisplayName(media::IBindCtx* c, const std::u16string& n, media::ComPtr<media::IMoniker>& m) override {
    return Inner().MkParseDisplayName(c, n, m);
  }
  HRESULT GetRunningObjectTable(uint32_t r, media::ComPtr<media::IRunningObjectTable>& t) override {
    return Inner().GetRunningObjectTable(r, t);
  }
  HRESULT CreateItemMoniker(const std::u16string& d, const std::u16string& item,
                            media::ComPtr<media::IMoniker>& m) override {
    return Inner().CreateItemMoniker(d, item, m);
  }
  uint32_t AMGetErrorTextW(HRESULT hr, char16_t* b, uint32_t s) override { return Inner().AMGetErrorTextW(hr, b, s); }
  uint32_t GetTickCount() override { return Inner().GetTickCount(); }
  uint32_t GetCurrentProcessId() override { return Inner().GetCurrentProcessId(); }
  uint64_t GraphAddress(media::IGraphBuilder* g) override { return Inner().GraphAddress(g); }
  int64_t FilterNameChars() override { return Inner().FilterNameChars(); }
  bool BuildsGraphsConcurrently() override { return Inner().BuildsGraphsConcurrently(); }
  int32_t RegQueryDefaultValue(const std::u16string& k, std::u16string& v) override {
    return Inner().RegQueryDefaultValue(k, v);
  }
  bool FileExists(const std::u16string& p) override { return Inner().FileExists(p); }
  bool GetFileVersion(const std::u16string& p, uint32_t& ms, uint32_t& ls) override {
    return Inner().GetFileVersion(p, ms, ls);
  }

 protected:
  // The framework a call goes to.
  virtual media::IMediaFramework& Inner() { return *FInner; }

 private:
  std::unique_ptr<media::IMediaFramework> FInner;
};

}  // namespace ambrel::testing
