// The name under which the engine registers its graph for external graph viewers.
#include <gtest/gtest.h>

#include "dshow/DShowMyRender.h"
#include "tests/dshow/WorldRun.h"

namespace ambrel {
namespace {

using namespace media;

// Keeps the item texts of the monikers the world creates.
class TRecordingFramework : public testing::TForwardingFramework {
 public:
  using TForwardingFramework::TForwardingFramework;
  std::vector<std::u16string> Items;
  HRESULT CreateItemMoniker(const std::u16string& d, const std::u16string& item, ComPtr<IMoniker>& m) override {
    Items.push_back(item);
    return TForwardingFramework::CreateItemMoniker(d, item, m);
  }
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
