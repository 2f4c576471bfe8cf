#include "sysinfo/DxDiagHelper.h"

namespace ambrel {

TDxDiagHelper::TDxDiagHelper(TDxDiagProviderFactory Factory) : FFactory(std::move(Factory)) {}

TDxDiagHelper::~TDxDiagHelper() { CloseProvider(); }

HRESULT TDxDiagHelper::OpenProvider() {
  CloseProvider();
  FProvider = FFactory ? FFactory() : nullptr;
  HRESULT result = FProvider ? FProvider->Initialize() : E_FAIL;
  if (Succeeded(result)) result = FProvider->GetRootContainer(FRoot);
  if (Failed(result) || !FRoot) {
    CloseProvider();
    return Failed(result) ? result : E_FAIL;
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

HRESULT TDxDiagHelper::NextChild(const std::string& Path) {
  if (!FRoot) return E_FAIL;
  HRESULT result = E_FAIL;
  if (!FParent) {
    result = FRoot->GetChildContainer(Path, FParent);
    if (Succeeded(result) && FParent) {
      result = FParent->GetNumberOfChildContainers(FChildCount);
      // A container without children is itself the one item to read.
      if (Succeeded(result) && FChildCount == 0) FCurrent = FParent;
    }
  }
  if (FChildCount > 0 && FChildIndex < FChildCount) {
    std::string name;
    result = FParent->EnumChildContainerNames(FChildIndex, name);
    if (Succeeded(result)) {
      result = FParent->GetChildContainer(name, FCurrent);
      ++FChildIndex;
    }
  }
  return result;
}

HRESULT TDxDiagHelper::GetPropText(const std::string& Name, std::string& Text) {
  Text.clear();
  if (!FCurrent) return E_FAIL;
  platform::TDxDiagVariant value;
  const HRESULT result = FCurrent->GetProp(Name, value);
  if (Failed(result)) return result;
  if (value.Kind != platform::TDxDiagVariant::TKind::Text) return E_INVALIDARG;
  Text = value.Text;
  return S_OK;
}

}  // namespace ambrel
