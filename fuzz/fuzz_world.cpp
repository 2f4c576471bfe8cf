// Fuzz target: a scripted media world from arbitrary JSON, then every framework section
// over it (filter lists, RenderFile check, detailed rendering). Claim: the loader either
// refuses the text with a message or gives a world, and the sections always finish.
#include <cstdint>
#include <string>

#include "dshow/DShowSections.h"
#include "media/world/MediaWorld.h"
#include "report/LogWriter.h"

using namespace ambrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Larger worlds only make each run slower, not different.
  if (size > 4096) return 0;
  const std::string json(reinterpret_cast<const char*>(data), size);
  media::TMediaWorldLoad load = media::LoadMediaWorldText(json);
  if (!load.Framework) {
    if (load.Error.empty()) __builtin_trap();
    return 0;
  }
  THTMLWriter html;
  TTxtWriter text;
  TMultiWriter both;
  both.AddWriter(&html);
  both.AddWriter(&text);
  const std::string file = load.File ? media::WideToUtf8(*load.File) : "a.mkv";
  WriteDirectShowFiltersSection(both, *load.Framework);
  WriteRenderFileCheckSection(both, CheckRenderFile(file, *load.Framework));
  WriteDetailedRenderingSection(both, RenderDetailed(file, *load.Framework));
  if (html.GetText().empty() || text.GetText().empty()) __builtin_trap();
  return 0;
}
