#include "machine/DxDiagProvider.h"

namespace ambrel::platform {

HRESULT TDxDiagNode::GetNumberOfChildContainers(uint32_t& Count) const {
  Count = static_cast<uint32_t>(FChildren.size());
  return S_OK;
}

HRESULT TDxDiagNode::EnumChildContainerNames(uint32_t Index, std::string& Name) const {
  if (Index >= FChildren.size()) return E_INVALIDARG;
  Name = FChildren[Index].first;
  return S_OK;
}

HRESULT TDxDiagNode::GetChildContainer(const std::string& Path, const IDxDiagContainer*& Child) const {
  const TDxDiagNode* node = this;
  size_t start = 0;
  while (node) {
    const size_t dot = Path.find('.', start);
    node = node->FindChild(Path.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  if (!node) return E_INVALIDARG;
  Child = node;
  return S_OK;
}

HRESULT TDxDiagNode::GetProp(const std::string& Name, TDxDiagVariant& Value) const {
  for (const auto& [name, value] : FProps) {
    if (name == Name) {
      Value = value;
      return S_OK;
    }
  }
  return E_INVALIDARG;
}

TDxDiagNode& TDxDiagNode::AddChild(const std::string& Name) {
  AdoptChild(Name, std::make_unique<TDxDiagNode>());
  return *FChildren.back().second;
}

void TDxDiagNode::AdoptChild(const std::string& Name, std::unique_ptr<TDxDiagNode> Child) {
  FChildren.emplace_back(Name, std::move(Child));
}

void TDxDiagNode::SetText(const std::string& Name, const std::string& Text) {
  if (Text.empty()) return;
  TDxDiagVariant value;
  value.Kind = TDxDiagVariant::TKind::Text;
  value.Text = Text;
  FProps.emplace_back(Name, std::move(value));
}

void TDxDiagNode::SetNumber(const std::string& Name, uint64_t Number) {
  TDxDiagVariant value;
  value.Kind = TDxDiagVariant::TKind::Number;
  value.Number = Number;
  FProps.emplace_back(Name, std::move(value));
}

const TDxDiagNode* TDxDiagNode::FindChild(const std::string& Name) const {
  for (const auto& [name, child] : FChildren) {
    if (name == Name) return child.get();
  }
  return nullptr;
}

}  // namespace ambrel::platform
