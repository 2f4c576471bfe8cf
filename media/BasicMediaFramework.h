// Building blocks every media-framework backend can share: a running object table, item
// monikers, bind contexts, initialisation counting and error texts from a table. A
// backend derives from TBasicMediaFramework and overrides what its framework answers.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "media/MediaFramework.h"

namespace ambrel::media {

// A moniker that only holds an item text (CreateItemMoniker).
class TItemMoniker : public RefCounted<IMoniker> {
 public:
  explicit TItemMoniker(std::u16string item) : FItem(std::move(item)) {}
  HRESULT BindToStorage(IBindCtx*, ComPtr<IPropertyBag>& bag) override;
  HRESULT BindToObject(IBindCtx*, ComPtr<IBaseFilter>& filter) override;
  HRESULT GetDisplayName(std::u16string& name) override;

 private:
  std::u16string FItem;
};

// Cookies 1, 2, ... never reused; MK_S_MONIKERALREADYREGISTERED for a repeated item text.
// forcedRegister (when set) is a result forced on Register: a failure registers nothing.
class TRunningObjectTable : public RefCounted<IRunningObjectTable> {
 public:
  HRESULT Register(uint32_t flags, IUnknown* object, IMoniker* moniker, uint32_t& cookie) override;
  HRESULT Revoke(uint32_t cookie) override;
  void ForceRegisterResult(HRESULT hr) {
    FForced = true;
    FForcedHr = hr;
  }
  size_t Count() const { return FEntries.size(); }

 private:
  struct Entry {
    std::u16string item;
    ComPtr<IUnknown> object;
  };
  std::mutex FLock;
  std::map<uint32_t, Entry> FEntries;
  uint32_t FNextCookie = 1;
  bool FForced = false;
  HRESULT FForcedHr = S_OK;
};

// A framework with no filter classes at all: the base of the real backends.
class TBasicMediaFramework : public IMediaFramework {
 public:
  TBasicMediaFramework();
  std::string Description() const override { return "none"; }
  HRESULT CoInitialize() override;
  void CoUninitialize() override;
  HRESULT CoCreateInstance(const CLSID& clsid, const IID& iid, ComPtr<IUnknown>& object) override;
  HRESULT CreateBindCtx(uint32_t reserved, ComPtr<IBindCtx>& ctx) override;
  HRESULT MkParseDisplayName(IBindCtx* ctx, const std::u16string& displayName, ComPtr<IMoniker>& moniker) override;
  HRESULT GetRunningObjectTable(uint32_t reserved, ComPtr<IRunningObjectTable>& table) override;
  HRESULT CreateItemMoniker(const std::u16string& delimiter, const std::u16string& item,
                            ComPtr<IMoniker>& moniker) override;
  uint32_t AMGetErrorTextW(HRESULT hr, char16_t* buffer, uint32_t size) override;
  uint32_t GetTickCount() override;
  uint32_t GetCurrentProcessId() override;
  int32_t RegQueryDefaultValue(const std::u16string& keyPath, std::u16string& value) override;
  bool FileExists(const std::u16string& path) override;
  bool GetFileVersion(const std::u16string& path, uint32_t& versionMS, uint32_t& versionLS) override;

 protected:
  ComPtr<TRunningObjectTable> FRot;
  std::mutex FLock;
  int FInitCount = 0;
};

}  // namespace ambrel::media
