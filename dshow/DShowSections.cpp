#include "dshow/DShowSections.h"

#include <system_error>

#include "base/TextUtil.h"
#include "dshow/DShowHelper.h"
#include "dshow/FrameworkSections.h"
#include "dshow/DShowMyRender.h"
#include "dshow/GraphStreams.h"

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
    if (!info->Version.empty()) file += " (" + Verbatim(info->Version) + ")";
    W.WriteListField("Filename", file);
    W.EndList();
  }
  W.WriteSeparator();
}

}  // namespace

void AnnounceRendering(const std::string& FileName, IMediaFramework& Fw) { Fw.PrepareRenderFile(PathToWide(FileName)); }

TRenderFileCheck CheckRenderFile(const std::string& FileName, IMediaFramework& Fw) {
  TRenderFileCheck check;
  // The platform's own framework says what it is, and its own splitter follows the two
  // Windows ones.
  const IMediaFramework::TPlatformFacts platform = Fw.PlatformFacts();
  check.Framework = platform.Name;
  std::vector<TSplitter> splitters(std::begin(kSplitters), std::end(kSplitters));
  if (!platform.SplitterClsid.empty())
    splitters.push_back({platform.SplitterName.c_str(), platform.SplitterClsid.c_str()});
  for (const TSplitter& s : splitters) {
    TSplitterCheck& splitter = check.Splitters.emplace_back(TSplitterCheck{s.Name, {}, false});
    splitter.Installed = CheckFilterInstalled(Fw, s.Clsid);
    splitter.Creatable = CheckFilterCreatable(Fw, s.Clsid);
  }
  check.Result = TryRenderFile(Fw, FileName);
  check.ResultText = GetErrorText(Fw, check.Result);
  check.Notes = Fw.RenderFileNotes();
  check.Streams = Fw.RenderFileStreams();
  // A framework that keeps the graph it built tells through it.
  if (const ComPtr<IFilterGraph> graph = Fw.TakeRenderedGraph(); graph && !check.Streams.Told)
    check.Streams = StreamsOfGraph(Fw, *graph);
  return check;
}

namespace {

// The red line of a section the framework stopped in, and the section's end.
void EndStoppedSection(TLogWriter& W, const std::string& Stopped) {
  W.WriteLine("<font color=\"#DD0000\">" + Verbatim(Stopped) + "</font>");
  W.WriteSeparator();
}

}  // namespace

void WriteRenderFileCheckSection(TLogWriter& W, const TRenderFileCheck& Check) {
  W.WriteTitle(kRenderFileCheckTitle);
  if (!Check.Stopped.empty()) return EndStoppedSection(W, Check.Stopped);
  if (!Check.Framework.empty()) W.WriteField("Media framework", Check.Framework);
  for (const TSplitterCheck& s : Check.Splitters) {
    W.WriteField("Matroska Splitter", s.Name);
    W.BeginList();
    W.WriteListField("Installed", s.Installed);
    W.WriteListField("Can be created", YesNo(s.Creatable));
    W.EndList();
  }
  W.WriteField("RenderFile with DirectShow", Verbatim(Check.ResultText));
  for (const auto& [label, text] : Check.Notes) W.WriteField(label, Verbatim(text));
  for (const TTrackPlayback& track : Check.Tracks) W.WriteField("Track " + std::to_string(track.Number), Verbatim(track.Text));
  for (const std::string& missing : Check.MissingDecoders) W.WriteField("Missing decoder", Verbatim(missing));
  W.WriteSeparator();
}

TRenderRun RenderDetailed(const std::string& FileName, IMediaFramework& Fw, const TRenderStepEvent& OnStep) {
  TRenderRun run;
  TDShowMyRender render(Fw);
  render.FOnStep = [&run, &OnStep](const TRenderStep& Step) {
    run.Steps.push_back(Step);
    if (OnStep) OnStep(Step);
  };
  render.MyRenderFile(FileName);
  return run;
}

TDetailedRenderingAhead::TDetailedRenderingAhead(std::string FileName, IMediaFramework& Fw, bool SideBySide,
                                                 TRenderStepEvent OnStep)
    : FFileName(std::move(FileName)), FFw(Fw), FOnStep(std::move(OnStep)) {
  if (!SideBySide) return;
  try {
    FAhead = std::async(std::launch::async, [this] { return RenderDetailed(FFileName, FFw, FOnStep); });
  } catch (const std::system_error& error) {
    FRefused = error.code().message();
  }
}

TDetailedRenderingAhead::~TDetailedRenderingAhead() {
  if (FAhead.valid()) FAhead.wait();
}

TRenderRun TDetailedRenderingAhead::Take() {
  return FAhead.valid() ? FAhead.get() : RenderDetailed(FFileName, FFw, FOnStep);
}

void WriteDetailedRenderingSection(TLogWriter& W, const TRenderRun& Run) {
  W.WriteTitle(kDetailedRenderingTitle);
  for (const TRenderStep& step : Run.Steps) W.WriteLine(RenderStepLine(step));
  if (!Run.Stopped.empty()) return EndStoppedSection(W, Run.Stopped);
  W.WriteSeparator();
}

void WriteDirectShowFiltersSection(TLogWriter& W, IMediaFramework& Fw) {
  WriteFilterList(W, Fw, kFiltersTitle, CLSID_LegacyAmFilterCategory);
  WriteFilterList(W, Fw, "Audio renderer :", CLSID_AudioRendererCategory);
}

}  // namespace ambrel
