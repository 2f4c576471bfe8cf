// Walking the provider's containers: one step per child in index order, one step for a
// container without children, none for a missing path; only text properties read as text.
#include <gtest/gtest.h>

#include "sysinfo/DxDiagHelper.h"

using namespace ambrel;
using platform::TDxDiagNode;

namespace {

class TreeProvider : public platform::IDxDiagProvider {
 public:
  TreeProvider() {
    root_.AddChild("Single").SetText("szName", "single");
    TDxDiagNode& devices = root_.AddChild("Outer").AddChild("Devices");
    for (const char* name : {"first", "second", "third"}) devices.AddChild(name).SetText("szName", name);
    root_.AddChild("Typed").SetNumber("dwCount", 7);
  }
  platform::HRESULT Initialize() override { return platform::S_OK; }
  platform::HRESULT GetRootContainer(const platform::IDxDiagContainer*& Root) override {
    Root = &root_;
    return platform::S_OK;
  }

 private:
  TDxDiagNode root_;
};

std::vector<std::string> Walk(TDxDiagHelper& helper, const std::string& path) {
  std::vector<std::string> names;
  helper.ResetEnum();
  while (platform::SUCCEEDED(helper.NextChild(path))) {
    std::string name;
    helper.GetPropText("szName", name);
    names.push_back(name);
  }
  return names;
}

TEST(DxDiagHelper, VisitsChildrenInOrderOrTheChildlessContainerItself) {
  TDxDiagHelper helper([] { return std::make_unique<TreeProvider>(); });
  EXPECT_EQ(helper.NextChild("Single"), platform::E_FAIL) << "not open yet";
  ASSERT_EQ(helper.OpenProvider(), platform::S_OK);
  EXPECT_EQ(Walk(helper, "Outer.Devices"), (std::vector<std::string>{"first", "second", "third"}));
  // A finished walk stays finished until it is reset.
  EXPECT_TRUE(platform::FAILED(helper.NextChild("Outer.Devices")));
  EXPECT_EQ(Walk(helper, "Single"), (std::vector<std::string>{"single"}));
  EXPECT_TRUE(Walk(helper, "Missing").empty());
  EXPECT_TRUE(Walk(helper, "Outer.Missing").empty());
  EXPECT_EQ(Walk(helper, "Outer.Devices").size(), 3u);
}

TEST(DxDiagHelper, ReadsOnlyTextPropertiesAsText) {
  TDxDiagHelper helper([] { return std::make_unique<TreeProvider>(); });
  ASSERT_EQ(helper.OpenProvider(), platform::S_OK);
  std::string text = "stale";
  EXPECT_TRUE(platform::FAILED(helper.GetPropText("szName", text))) << "no current container";
  EXPECT_EQ(text, "");
  helper.ResetEnum();
  ASSERT_EQ(helper.NextChild("Typed"), platform::S_OK);
  text = "stale";
  EXPECT_EQ(helper.GetPropText("dwCount", text), platform::E_INVALIDARG);
  EXPECT_EQ(text, "");
  EXPECT_TRUE(platform::FAILED(helper.GetPropText("szMissing", text)));
  helper.CloseProvider();
  EXPECT_EQ(helper.NextChild("Typed"), platform::E_FAIL);
}

}  // namespace
