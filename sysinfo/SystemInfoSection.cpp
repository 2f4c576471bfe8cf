#include "sysinfo/SystemInfoSection.h"

#include <vector>

#include "machine/Machine.h"

namespace ambrel {

namespace {

enum class TOp { Field, BeginList, ListField, EndList, Separator };

struct TStep {
  TOp Op;
  const char* Label = "";
  const char* Property = "";
};

struct TBlock {
  const char* Title;
  const char* Path;
  bool SeparatorAtEnd;  // one separator after the whole block, not one per container
  std::vector<TStep> Steps;
};

const std::vector<TBlock>& Blocks() {
  static const std::vector<TBlock> blocks = {
      {"General system info :",
       "DxDiag_SystemInfo",
       true,
       {{TOp::Field, "Windows version", "szOSExLongEnglish"},
        {TOp::Field, "Language", "szLanguagesEnglish"},
        {TOp::Field, "DirectX version", "szDirectXVersionLongEnglish"},
        {TOp::Field, "Processor", "szProcessorEnglish"},
        {TOp::Field, "Memory", "szPhysicalMemoryEnglish"},
        {TOp::Field, "Date", "szTimeEnglish"}}},
      {"Video info :",
       "DxDiag_DisplayDevices",
       false,
       {{TOp::Field, "Video device", "szDescription"},
        {TOp::BeginList},
        {TOp::ListField, "Memory", "szDisplayMemoryEnglish"},
        {TOp::ListField, "Display mode", "szDisplayModeEnglish"},
        {TOp::ListField, "Driver name", "szDriverName"},
        {TOp::ListField, "Driver version", "szDriverVersion"},
        {TOp::ListField, "Driver date", "szDriverDateEnglish"},
        {TOp::EndList},
        {TOp::Separator}}},
      {"Sound info :",
       "DxDiag_DirectSound.DxDiag_SoundDevices",
       false,
       {{TOp::Field, "Sound device", "szDescription"},
        {TOp::BeginList},
        {TOp::ListField, "Driver name", "szDriverName"},
        {TOp::ListField, "Driver version", "szDriverVersion"},
        {TOp::ListField, "Driver date", "szDriverDateEnglish"},
        {TOp::EndList},
        {TOp::Separator}}},
  };
  return blocks;
}

void RunStep(const TStep& Step, TDxDiagHelper& Helper, TLogWriter& W) {
  std::string value;
  switch (Step.Op) {
    case TOp::Field:
      Helper.GetPropText(Step.Property, value);
      W.WriteField(Step.Label, value);
      break;
    case TOp::ListField:
      Helper.GetPropText(Step.Property, value);
      W.WriteListField(Step.Label, value);
      break;
    case TOp::BeginList: W.BeginList(); break;
    case TOp::EndList: W.EndList(); break;
    case TOp::Separator: W.WriteSeparator(); break;
  }
}

}  // namespace

void WriteSystemInfoSection(TLogWriter& W, const TDxDiagProviderFactory& Factory) {
  TDxDiagHelper helper(Factory);
  if (platform::FAILED(helper.OpenProvider())) return;
  for (const TBlock& block : Blocks()) {
    W.WriteTitle(block.Title);
    helper.ResetEnum();
    while (platform::SUCCEEDED(helper.NextChild(block.Path))) {
      for (const TStep& step : block.Steps) RunStep(step, helper, W);
    }
    if (block.SeparatorAtEnd) W.WriteSeparator();
  }
}

TDxDiagProviderFactory LocalMachineProvider() {
  return [] { return platform::CreateLinuxDxDiagProvider(platform::CurrentMachine()); };
}

}  // namespace ambrel
