// Walks the diagnostic information provider: opens it, visits the child containers of
// a path one by one and reads named properties of the current one as text.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "machine/DxDiagProvider.h"

namespace ambrel {

// Makes the provider OpenProvider opens; it may give none.
using TDxDiagProviderFactory = std::function<std::unique_ptr<platform::IDxDiagProvider>()>;

class TDxDiagHelper {
 public:
  explicit TDxDiagHelper(TDxDiagProviderFactory Factory);
  ~TDxDiagHelper();
  TDxDiagHelper(const TDxDiagHelper&) = delete;
  TDxDiagHelper& operator=(const TDxDiagHelper&) = delete;

  // Creates and initialises the provider and takes its root container; on failure the
  // helper is closed again and the failing result returned.
  platform::HRESULT OpenProvider();
  void CloseProvider();
  // Starts a new enumeration.
  void ResetEnum();
  // Steps to the next container of Path: its children in index order, or the container
  // itself when it has none. Fails when there is no further container.
  platform::HRESULT NextChild(const std::string& Path);
  // The current container's property as text; empty with a failure when it is missing
  // or not text.
  platform::HRESULT GetPropText(const std::string& Name, std::string& Text);

 private:
  TDxDiagProviderFactory FFactory;
  std::unique_ptr<platform::IDxDiagProvider> FProvider;
  const platform::IDxDiagContainer* FRoot = nullptr;
  const platform::IDxDiagContainer* FParent = nullptr;
  const platform::IDxDiagContainer* FCurrent = nullptr;
  uint32_t FChildCount = 0;
  uint32_t FChildIndex = 0;
};

}  // namespace ambrel
