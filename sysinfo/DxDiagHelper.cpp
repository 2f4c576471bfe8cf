#include "sysinfo/DxDiagHelper.h"

namespace ambrel {

TDxDiagHelper::TDxDiagHelper(TDxDiagProviderFactory Factory) : FFactory(std::move(Factory)) {}

TDxDiagHelper::~TDxDiagHelper() { CloseProvider(); }

platform::HRESULT TDxDiagHelper::OpenProvider() {
  CloseProvider();
  FProvider = FFactory ? FFactory() : nullptr;
  platform::HRESULT result = FProvider ? FProvider->Initialize() : platform::E_FAIL;
  if (platform::SUCCEEDED(result)) result = FProvider->GetRootContainer(FRoot);
  if (platform::FAILED(result) || !FRoot) {
    CloseProvider();
    return platform::FAILED(result) ? result : platform::E_FAIL;
  }
  return result;
}

void TDxDiagHelper::CloseProvider() {
  FCurrent = nullptr;
  FParent = nullptr;
  FRoot = nullptr;
  FProvider.reset();
}

void TDxDiagHelper::ResetEnum() {
  FChildCount = 0;
  FChildIndex = 0;
  FCurrent = nullptr;
  FParent = nullptr;
}

platform::HRESULT TDxDiagHelper::NextChild(const std::string& Path) {
  if (!FRoot) return platform::E_FAIL;
  platform::HRESULT result = platform::E_FAIL;
  if (!FParent) {
    result = FRoot->GetChildContainer(Path, FParent);
    if (platform::SUCCEEDED(result) && FParent) {
      result = FParent->GetNumberOfChildContainers(FChildCount);
      // A container without children is itself the one item to read.
      if (platform::SUCCEEDED(result) && FChildCount == 0) FCurrent = FParent;
    }
  }
  if (FChildCount > 0 && FChildIndex < FChildCount) {
    std::string name;
    result = FParent->EnumChildContainerNames(FChildIndex, name);
    if (platform::SUCCEEDED(result)) {
      result = FParent->GetChildContainer(name, FCurrent);
      ++FChildIndex;
    }
  }
  return result;
}

platform::HRESULT TDxDiagHelper::GetPropText(const std::string& Name, std::string& Text) {
  Text.clear();
  if (!FCurrent) return platform::E_FAIL;
  platform::TDxDiagVariant value;
  const platform::HRESULT result = FCurrent->GetProp(Name, value);
  if (platform::FAILED(result)) return result;
  if (value.Kind != platform::TDxDiagVariant::TKind::Text) return platform::E_INVALIDARG;
  Text = value.Text;
  return platform::S_OK;
}

}  // namespace ambrel
