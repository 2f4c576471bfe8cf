// A media framework started apart from the program's own work: the program goes on while
// the framework loads (a module, a plugin registry), and the first question put to it
// waits for the start to finish. The start runs either on a thread of its own from the
// moment the framework is made, or on the thread of the first question, for a caller
// that keeps its calling thread free for it (the process's first thread allocates from
// the main heap, which grows in larger steps than a thread's, and loading the registry
// allocates a lot).
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "media/MediaFramework.h"

namespace ambrel::media {

class TDeferredFramework final : public IMediaFramework {
 public:
  using TMake = std::function<std::unique_ptr<IMediaFramework>()>;
  // make runs as start says; a null result (or an exception) leaves the framework-less
  // backend in its place.
  explicit TDeferredFramework(TMake make, TFrameworkStart start = TFrameworkStart::OwnThread);
  // Waits for a start still running: the framework it makes is owned here. A start left
  // for a question nobody asked never runs.
  ~TDeferredFramework() override;

  std::string Description() const override { return Started().Description(); }
  HRESULT CoInitialize() override { return Started().CoInitialize(); }
  void CoUninitialize() override { Started().CoUninitialize(); }
  HRESULT CoCreateInstance(const CLSID& clsid, const IID& iid, ComPtr<IUnknown>& object) override {
    return Started().CoCreateInstance(clsid, iid, object);
  }
  HRESULT CreateBindCtx(uint32_t reserved, ComPtr<IBindCtx>& ctx) override {
    return Started().CreateBindCtx(reserved, ctx);
  }
  HRESULT MkParseDisplayName(IBindCtx* ctx, const std::u16string& displayName, ComPtr<IMoniker>& moniker) override {
    return Started().MkParseDisplayName(ctx, displayName, moniker);
  }
  HRESULT GetRunningObjectTable(uint32_t reserved, ComPtr<IRunningObjectTable>& table) override {
    return Started().GetRunningObjectTable(reserved, table);
  }
  HRESULT CreateItemMoniker(const std::u16string& delimiter, const std::u16string& item,
                            ComPtr<IMoniker>& moniker) override {
    return Started().CreateItemMoniker(delimiter, item, moniker);
  }
  uint32_t AMGetErrorTextW(HRESULT hr, char16_t* buffer, uint32_t size) override {
    return Started().AMGetErrorTextW(hr, buffer, size);
  }
  uint32_t GetTickCount() override { return Started().GetTickCount(); }
  uint32_t GetCurrentProcessId() override { return Started().GetCurrentProcessId(); }
  uint64_t GraphAddress(IGraphBuilder* graph) override { return Started().GraphAddress(graph); }
  int64_t FilterNameChars() override { return Started().FilterNameChars(); }
  std::vector<std::pair<std::string, std::string>> RenderFileNotes() override { return Started().RenderFileNotes(); }
  TRenderFileStreams RenderFileStreams() override { return Started().RenderFileStreams(); }
  ComPtr<IFilterGraph> TakeRenderedGraph() override { return Started().TakeRenderedGraph(); }
  TPlatformFacts PlatformFacts() override { return Started().PlatformFacts(); }
  // Does not wait: a file announced during the start is passed on once the start is done.
  void PrepareRenderFile(const std::u16string& fileName) override;
  bool BuildsGraphsConcurrently() override { return Started().BuildsGraphsConcurrently(); }
  int32_t RegQueryDefaultValue(const std::u16string& keyPath, std::u16string& value) override {
    return Started().RegQueryDefaultValue(keyPath, value);
  }
  bool FileExists(const std::u16string& path) override { return Started().FileExists(path); }
  bool GetFileVersion(const std::u16string& path, uint32_t& versionMS, uint32_t& versionLS) override {
    return Started().GetFileVersion(path, versionMS, versionLS);
  }
  TLeftovers Settle(std::chrono::milliseconds wait) override { return Started().Settle(wait); }

 private:
  IMediaFramework& Started() const;
  void Start(const TMake& make);

  std::mutex FLock;
  std::unique_ptr<IMediaFramework> FMade;  // set once, by the start, under FLock
  std::optional<std::u16string> FAnnounced;
  TMake FMakeOnQuestion;  // the start left for the first question
  mutable std::thread FStart;
  mutable std::once_flag FJoined;
};

}  // namespace ambrel::media
