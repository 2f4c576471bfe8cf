// The system-information provider of a Linux machine: the containers and properties
// the system-information section reads, gathered from the machine's files.
#include <cstdlib>

#include "machine/Machine.h"

namespace ambrel::platform {

namespace {

class TLinuxDxDiagProvider : public IDxDiagProvider {
 public:
  explicit TLinuxDxDiagProvider(TMachine Machine) : FMachine(std::move(Machine)) {}

  HRESULT Initialize() override {
    const TMachineFiles files(FMachine.Root);
    FRoot = std::make_unique<TDxDiagNode>();
    TDxDiagNode& system = FRoot->AddChild("DxDiag_SystemInfo");
    system.SetText("szOSExLongEnglish", OperatingSystemText(files));
    system.SetText("szLanguagesEnglish", LanguageText(FMachine));
    system.SetText("szDirectXVersionLongEnglish", MediaFrameworkText(files));
    system.SetText("szProcessorEnglish", ProcessorText(files));
    system.SetText("szPhysicalMemoryEnglish", MemoryText(files));
    system.SetText("szTimeEnglish", DateText(FMachine.LocalTime));

    // A device list container exists only when it has devices: an empty container
    // would read as one device without properties.
    auto displays = std::make_unique<TDxDiagNode>();
    AddDisplayDevices(files, *displays);
    if (displays->ChildCount() > 0) FRoot->AdoptChild("DxDiag_DisplayDevices", std::move(displays));
    auto sounds = std::make_unique<TDxDiagNode>();
    AddSoundDevices(files, *sounds);
    TDxDiagNode& directSound = FRoot->AddChild("DxDiag_DirectSound");
    if (sounds->ChildCount() > 0) directSound.AdoptChild("DxDiag_SoundDevices", std::move(sounds));
    return S_OK;
  }

  HRESULT GetRootContainer(const IDxDiagContainer*& Root) override {
    if (!FRoot) return E_FAIL;
    Root = FRoot.get();
    return S_OK;
  }

 private:
  TMachine FMachine;
  std::unique_ptr<TDxDiagNode> FRoot;
};

}  // namespace

TMachine CurrentMachine() {
  TMachine machine;
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LC_TIME", "LANG"}) {
    if (const char* value = std::getenv(name)) machine.Environment[name] = value;
  }
  const std::time_t now = std::time(nullptr);
  localtime_r(&now, &machine.LocalTime);
  return machine;
}

std::unique_ptr<IDxDiagProvider> CreateLinuxDxDiagProvider(TMachine Machine) {
  return std::make_unique<TLinuxDxDiagProvider>(std::move(Machine));
}

}  // namespace ambrel::platform
