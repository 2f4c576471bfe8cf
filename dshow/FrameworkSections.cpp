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

void TLocalFrameworkSections::Prepare(const std::string& FileName) { PrepareRenderingSections(FileName, Framework()); }

void TLocalFrameworkSections::Start() { Framework().BuildsGraphsConcurrently(); }

std::string TLocalFrameworkSections::FilterInstalled(const std::string& ClsidText) {
  return CheckFilterInstalled(Framework(), ClsidText);
}

void TLocalFrameworkSections::WriteRenderFileCheck(const std::string& FileName, TLogWriter& W,
                                                   TRenderAnswers& Answers) {
  // The detailed rendering may be built while the RenderFile check's graph renders.
  FAhead = std::make_unique<TDetailedRenderingAhead>(FileName, Framework());
  FAheadFile = FileName;
  Answers.Hr = WriteRenderFileCheckSection(FileName, W, Framework());
  Answers.HrText = GetErrorText(Framework(), Answers.Hr);
  Answers.Checked = true;
}

void TLocalFrameworkSections::WriteDetailedRendering(const std::string& FileName, TLogWriter& W,
                                                     TRenderAnswers& Answers) {
  const std::unique_ptr<TDetailedRenderingAhead> ahead = std::move(FAhead);
  WriteDetailedRenderingSection(FileName, W, Framework(), FAheadFile == FileName ? ahead.get() : nullptr,
                                &Answers.Lines);
}

TRenderAnswers TLocalFrameworkSections::RenderAnswers(const std::string& FileName) {
  TRenderAnswers answers;
  TDetailedRenderingAhead detailed(FileName, Framework());
  answers.Hr = TryRenderFile(Framework(), FileName);
  answers.HrText = GetErrorText(Framework(), answers.Hr);
  answers.Checked = true;
  detailed.TakeLines([&answers](const std::string& Line) { answers.Lines.push_back(Line); });
  return answers;
}

void TLocalFrameworkSections::WriteFilterLists(TLogWriter& W) { WriteDirectShowFiltersSection(W, Framework()); }

}  // namespace ambrel
