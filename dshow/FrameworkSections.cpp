#include "dshow/FrameworkSections.h"

#include "dshow/DShowHelper.h"
#include "dshow/DShowSections.h"

namespace ambrel {

TLocalFrameworkSections::TLocalFrameworkSections(TMake Make, bool PerFile) : FMake(std::move(Make)), FPerFile(PerFile) {}

TLocalFrameworkSections::TLocalFrameworkSections(media::IMediaFramework& Fw) : FFw(&Fw) {}

TLocalFrameworkSections::~TLocalFrameworkSections() = default;

media::IMediaFramework& TLocalFrameworkSections::Framework() {
  if (!FFw) {
    FOwned = FMake ? FMake() : nullptr;
    if (!FOwned) FOwned = media::CreateNoMediaFramework();
    FFw = FOwned.get();
  }
  return *FFw;
}

void TLocalFrameworkSections::BeginFile() {
  FAhead.reset();
  if (!FPerFile || !FOwned) return;
  FOwned.reset();
  FFw = nullptr;
}

void TLocalFrameworkSections::Prepare(const std::string& FileName) { AnnounceRendering(FileName, Framework()); }

void TLocalFrameworkSections::Start() { FSideBySide = Framework().BuildsGraphsConcurrently(); }

TFilterInstall TLocalFrameworkSections::FilterInstall(const std::string& ClsidText) {
  return FindFilterInstall(Framework(), ClsidText);
}

TRenderFileCheck TLocalFrameworkSections::CheckRenderFile(const std::string& FileName) {
  // A framework that builds graphs side by side builds the detailed rendering's graph while
  // the RenderFile check's renders.
  FAhead = std::make_unique<TDetailedRenderingAhead>(FileName, Framework(), FSideBySide, FOnStep);
  FAheadFile = FileName;
  if (FRefused.empty()) FRefused = FAhead->Refused();
  return ambrel::CheckRenderFile(FileName, Framework());
}

TRenderRun TLocalFrameworkSections::RenderDetailed(const std::string& FileName) {
  const std::unique_ptr<TDetailedRenderingAhead> ahead = std::move(FAhead);
  if (ahead && FAheadFile == FileName) return ahead->Take();
  return ambrel::RenderDetailed(FileName, Framework(), FOnStep);
}

media::IMediaFramework::TLeftovers TLocalFrameworkSections::Settle(std::chrono::milliseconds Wait) {
  media::IMediaFramework::TLeftovers left = FFw ? FFw->Settle(Wait) : media::IMediaFramework::TLeftovers{};
  if (!FRefused.empty()) {
    left.Clean = false;
    if (left.Failure.empty()) left.Failure = "The media framework could not start a thread: " + FRefused;
  }
  FRefused.clear();
  return left;
}

void TLocalFrameworkSections::WriteFilterLists(TLogWriter& W) { WriteDirectShowFiltersSection(W, Framework()); }

}  // namespace ambrel
