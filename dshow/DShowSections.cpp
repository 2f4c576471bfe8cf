#include "dshow/DShowSections.h"

#include "dshow/DShowHelper.h"
#include "dshow/FrameworkSections.h"
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

void PrepareRenderingSections(const std::string& FileName, IMediaFramework& Fw) {
  Fw.PrepareRenderFile(ToWide(FileName));
}

HRESULT WriteRenderFileCheckSection(const std::string& FileName, TLogWriter& W, IMediaFramework& Fw) {
  W.WriteTitle(kRenderFileCheckTitle);
  // The framework may render the file while the splitters are looked up (when the caller
  // has not announced it yet).
  PrepareRenderingSections(FileName, Fw);
  for (const TSplitter& s : kSplitters) {
    W.WriteField("Matroska Splitter", s.Name);
    W.BeginList();
    W.WriteListField("Installed", CheckFilterInstalled(Fw, s.Clsid));
    W.WriteListField("Can be created", YesNoText(CheckFilterCreatable(Fw, s.Clsid)));
    W.EndList();
  }
  const HRESULT hr = TryRenderFile(Fw, FileName);
  W.WriteField("RenderFile with DirectShow", GetErrorText(Fw, hr));
  for (const auto& [label, text] : Fw.RenderFileNotes()) W.WriteField(label, Verbatim(text));
  W.WriteSeparator();
  return hr;
}

namespace {

void RenderNarrative(const std::string& FileName, IMediaFramework& Fw, const TDetailedRenderingAhead::TOnLine& OnLine) {
  TDShowMyRender render(Fw);
  render.FOnLog = OnLine;
  render.MyRenderFile(FileName);
}

}  // namespace

TDetailedRenderingAhead::TDetailedRenderingAhead(std::string FileName, IMediaFramework& Fw)
    : FFileName(std::move(FileName)), FFw(Fw) {
  if (!FFw.BuildsGraphsConcurrently()) return;
  FAhead = std::async(std::launch::async, [this] {
    RenderNarrative(FFileName, FFw, [this](const std::string& Line) { FLines.push_back(Line); });
  });
}

TDetailedRenderingAhead::~TDetailedRenderingAhead() {
  if (FAhead.valid()) FAhead.wait();
}

void TDetailedRenderingAhead::TakeLines(const TOnLine& OnLine) {
  if (!FAhead.valid()) {
    RenderNarrative(FFileName, FFw, OnLine);
    return;
  }
  FAhead.get();
  for (const std::string& line : FLines) OnLine(line);
  FLines.clear();
}

void WriteDetailedRenderingSection(const std::string& FileName, TLogWriter& W, IMediaFramework& Fw,
                                   TDetailedRenderingAhead* Ahead, std::vector<std::string>* Kept) {
  W.WriteTitle(kDetailedRenderingTitle);
  const auto write = [&W, Kept](const std::string& Line) {
    W.WriteLine(Line);
    if (Kept) Kept->push_back(Line);
  };
  if (Ahead)
    Ahead->TakeLines(write);
  else
    RenderNarrative(FileName, Fw, write);
  W.WriteSeparator();
}

void WriteDirectShowFiltersSection(TLogWriter& W, IMediaFramework& Fw) {
  WriteFilterList(W, Fw, kFiltersTitle, CLSID_LegacyAmFilterCategory);
  WriteFilterList(W, Fw, "Audio renderer :", CLSID_AudioRendererCategory);
}

}  // namespace ambrel
