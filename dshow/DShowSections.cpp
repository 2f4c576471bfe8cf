#include "dshow/DShowSections.h"

#include "dshow/DShowHelper.h"
#include "dshow/DShowMyRender.h"

namespace ambrel {

using namespace media;

namespace {

struct TSplitter {
  const char* Name;
  const char* Clsid;
};

const TSplitter kSplitters[] = {
    {"Tolmer's Matroska Splitter", "{149D2E01-C32E-4939-80F6-C07B81015A7A}"},
    {"Brenn's Matroska Splitter", "{9AB95E90-1F37-427E-9B3D-257FB0CB25F7}"},
};

void WriteFilterList(TLogWriter& W, IMediaFramework& Fw, const char* Title, const GUID& Category) {
  W.WriteTitle(Title);
  TFilterInfoList list;
  EnumFiltersByCategory(Fw, Category, list);
  SortFilterInfoList(list);
  for (const auto& info : list) {
    W.WriteField("Filter name", VerbatimWide(info->FriendlyName));
    W.BeginList();
    std::string file = VerbatimWide(info->FileName);
    if (!info->Version.empty()) file += " (" + info->Version + ")";
    W.WriteListField("Filename", file);
    W.EndList();
  }
  FreeFilterInfoList(list);
  W.WriteSeparator();
}

std::string YesNoText(bool Flag) { return Flag ? "yes" : "no"; }

}  // namespace

void AnnounceRendering(const std::string& FileName, IMediaFramework& Fw) { Fw.PrepareRenderFile(ToWide(FileName)); }

TRenderFileCheck CheckRenderFile(const std::string& FileName, IMediaFramework& Fw) {
  TRenderFileCheck check;
  for (const TSplitter& s : kSplitters) {
    TSplitterCheck& splitter = check.Splitters.emplace_back(TSplitterCheck{s.Name, {}, false});
    splitter.Installed = CheckFilterInstalled(Fw, s.Clsid);
    splitter.Creatable = CheckFilterCreatable(Fw, s.Clsid);
  }
  check.Result = TryRenderFile(Fw, FileName);
  check.ResultText = GetErrorText(Fw, check.Result);
  check.Notes = Fw.RenderFileNotes();
  return check;
}

void WriteRenderFileCheckSection(TLogWriter& W, const TRenderFileCheck& Check) {
  W.WriteTitle("DirectShow RenderFile check : ");
  for (const TSplitterCheck& s : Check.Splitters) {
    W.WriteField("Matroska Splitter", s.Name);
    W.BeginList();
    W.WriteListField("Installed", s.Installed);
    W.WriteListField("Can be created", YesNoText(s.Creatable));
    W.EndList();
  }
  W.WriteField("RenderFile with DirectShow", Check.ResultText);
  for (const auto& [label, text] : Check.Notes) W.WriteField(label, Verbatim(text));
  W.WriteSeparator();
}

TRenderRun RenderDetailed(const std::string& FileName, IMediaFramework& Fw) {
  TRenderRun run;
  TDShowMyRender render(Fw);
  render.FOnStep = [&run](const TRenderStep& Step) { run.Steps.push_back(Step); };
  render.MyRenderFile(FileName);
  return run;
}

TDetailedRenderingAhead::TDetailedRenderingAhead(std::string FileName, IMediaFramework& Fw, bool SideBySide)
    : FFileName(std::move(FileName)), FFw(Fw) {
  if (!SideBySide) return;
  FAhead = std::async(std::launch::async, [this] { return RenderDetailed(FFileName, FFw); });
}

TDetailedRenderingAhead::~TDetailedRenderingAhead() {
  if (FAhead.valid()) FAhead.wait();
}

TRenderRun TDetailedRenderingAhead::Take() { return FAhead.valid() ? FAhead.get() : RenderDetailed(FFileName, FFw); }

void WriteDetailedRenderingSection(TLogWriter& W, const TRenderRun& Run) {
  W.WriteTitle("DirectShow detailed rendering : ");
  for (const TRenderStep& step : Run.Steps) W.WriteLine(RenderStepLine(step));
  W.WriteSeparator();
}

void WriteDirectShowFiltersSection(TLogWriter& W, IMediaFramework& Fw) {
  WriteFilterList(W, Fw, "DirectShow filters :", CLSID_LegacyAmFilterCategory);
  WriteFilterList(W, Fw, "Audio renderer :", CLSID_AudioRendererCategory);
}

}  // namespace ambrel
