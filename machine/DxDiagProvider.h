// The diagnostic information provider: a tree of named containers, each holding named
// properties. A path names a container below another one, with a dot between levels
// ("DxDiag_DirectSound.DxDiag_SoundDevices").
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "com/HResult.h"


namespace ambrel::platform {

// The provider answers with the platform's result codes: negative means failure.
using media::E_FAIL;
using media::E_INVALIDARG;
using media::FAILED;
using media::HRESULT;
using media::S_OK;
using media::SUCCEEDED;

// A property value. Only text values can be read as text.
struct TDxDiagVariant {
  enum class TKind { Empty, Text, Number };
  TKind Kind = TKind::Empty;
  std::string Text;  // UTF-8
  uint64_t Number = 0;
};

class IDxDiagContainer {
 public:
  virtual ~IDxDiagContainer() = default;
  virtual HRESULT GetNumberOfChildContainers(uint32_t& Count) const = 0;
  // The name of the child at Index; fails past the last child.
  virtual HRESULT EnumChildContainerNames(uint32_t Index, std::string& Name) const = 0;
  // The container Path names below this one; Child stays owned by the provider.
  virtual HRESULT GetChildContainer(const std::string& Path, const IDxDiagContainer*& Child) const = 0;
  virtual HRESULT GetProp(const std::string& Name, TDxDiagVariant& Value) const = 0;
};

class IDxDiagProvider {
 public:
  virtual ~IDxDiagProvider() = default;
  // Gathers what the containers answer; must succeed before the root is asked for.
  virtual HRESULT Initialize() = 0;
  virtual HRESULT GetRootContainer(const IDxDiagContainer*& Root) = 0;
};

// A container that holds its children and properties in memory.
class TDxDiagNode : public IDxDiagContainer {
 public:
  HRESULT GetNumberOfChildContainers(uint32_t& Count) const override;
  HRESULT EnumChildContainerNames(uint32_t Index, std::string& Name) const override;
  HRESULT GetChildContainer(const std::string& Path, const IDxDiagContainer*& Child) const override;
  HRESULT GetProp(const std::string& Name, TDxDiagVariant& Value) const override;

  // Adds a child container named Name (no dots) and returns it.
  TDxDiagNode& AddChild(const std::string& Name);
  void AdoptChild(const std::string& Name, std::unique_ptr<TDxDiagNode> Child);
  size_t ChildCount() const { return FChildren.size(); }
  // Sets a text property; an empty text leaves the property out, so it reads as missing.
  void SetText(const std::string& Name, const std::string& Text);
  void SetNumber(const std::string& Name, uint64_t Number);

 private:
  const TDxDiagNode* FindChild(const std::string& Name) const;

  std::vector<std::pair<std::string, std::unique_ptr<TDxDiagNode>>> FChildren;
  std::vector<std::pair<std::string, TDxDiagVariant>> FProps;
};

}  // namespace ambrel::platform
