// The name under which the engine registers its graph for external graph viewers.
#include <gtest/gtest.h>

#include "dshow/DShowMyRender.h"
#include "tests/dshow/WorldRun.h"

namespace ambrel {
namespace {

using namespace media;

// Passes every call to a world and keeps the item texts of the monikers it creates.
class TRecordingFramework : public IMediaFramework {
 public:
  explicit TRecordingFramework(std::unique_ptr<IMediaFramework> inner) : FInner(std::move(inner)) {}
  std::vector<std::u16string> Items;

  std::string Description() const override { return FInner->Description(); }
  HRESULT CoInitialize() override { return FInner->CoInitialize(); }
  void CoUninitialize() override { FInner->CoUninitialize(); }
  HRESULT CoCreateInstance(const CLSID& c, const IID& i, ComPtr<IUnknown>& o) override {
    return FInner->CoCreateInstance(c, i, o);
  }
  HRESULT CreateBindCtx(uint32_t r, ComPtr<IBindCtx>& c) override { return FInner->CreateBindCtx(r, c); }
  HRESULT MkParseDisplayName(IBindCtx* c, const std::u16string& n, ComPtr<IMoniker>& m) override {
    return FInner->MkParseDisplayName(c, n, m);
  }
  HRESULT GetRunningObjectTable(uint32_t r, ComPtr<IRunningObjectTable>& t) override {
    return FInner->GetRunningObjectTable(r, t);
  }
  HRESULT CreateItemMoniker(const std::u16string& d, const std::u16string& item, ComPtr<IMoniker>& m) override {
    Items.push_back(item);
    return FInner->CreateItemMoniker(d, item, m);
  }
  uint32_t AMGetErrorTextW(HRESULT hr, char16_t* b, uint32_t s) override { return FInner->AMGetErrorTextW(hr, b, s); }
  uint32_t GetTickCount() override { return FInner->GetTickCount(); }
  uint32_t GetCurrentProcessId() override { return FInner->GetCurrentProcessId(); }
  uint64_t GraphAddress(IGraphBuilder* g) override { return FInner->GraphAddress(g); }
  int64_t FilterNameChars() override { return FInner->FilterNameChars(); }
  int32_t RegQueryDefaultValue(const std::u16string& k, std::u16string& v) override {
    return FInner->RegQueryDefaultValue(k, v);
  }
  bool FileExists(const std::u16string& p) override { return FInner->FileExists(p); }
  bool GetFileVersion(const std::u16string& p, uint32_t& ms, uint32_t& ls) override {
    return FInner->GetFileVersion(p, ms, ls);
  }

 private:
  std::unique_ptr<IMediaFramework> FInner;
};

TEST(RotName, ShowsTheWholePointerAndTheProcessIdInHexadecimal) {
  TRecordingFramework fw(testing::World(R"({"pid": 4660, "graph_address": "0x0A3C52E0"})"));
  {
    TDShowMyRender render(fw);
    render.MyRenderFile("a.mkv");
  }
  ASSERT_EQ(fw.Items.size(), 1u);
  const std::string address = sizeof(void*) == 8 ? "000000000A3C52E0" : "0A3C52E0";
  EXPECT_EQ(WideToUtf8(fw.Items[0]), "FilterGraph " + address + " pid 1234");
}

}  // namespace
}  // namespace ambrel
