// What an analysis asks the media framework: a file to prepare, whether a proposed filter is
// installed, the RenderFile check's and the detailed rendering's results (as data, which the
// analysis's readers turn into sections or documents), and the lists of installed filters.
// Answered in this process over a framework (TLocalFrameworkSections), or by a framework
// host process that runs the same checks and streams their results back (host/).
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dshow/DShowHelper.h"
#include "dshow/DShowSections.h"
#include "media/MediaFramework.h"
#include "report/LogWriter.h"

namespace ambrel {

class TDetailedRenderingAhead;

inline constexpr char kRenderFileCheckTitle[] = "DirectShow RenderFile check : ";
inline constexpr char kDetailedRenderingTitle[] = "DirectShow detailed rendering : ";
inline constexpr char kFiltersTitle[] = "DirectShow filters :";

class IFrameworkSections {
 public:
  virtual ~IFrameworkSections() = default;

  // A file's analysis begins: a scripted world starts again from its initial state.
  virtual void BeginFile() {}
  // Announces the file whose rendering sections follow: the framework may start them now.
  virtual void Prepare(const std::string& FileName) = 0;
  // Waits for the framework to have started (the caller's thread may do the start).
  virtual void Start() = 0;
  // Where the proposed filter is installed (InstalledText words it as the report shows it).
  virtual TFilterInstall FilterInstall(const std::string& ClsidText) = 0;
  // The RenderFile check of the prepared file; the detailed rendering may begin with it.
  // A framework that stopped says so in the result's Stopped.
  virtual TRenderFileCheck CheckRenderFile(const std::string& FileName) = 0;
  // The detailed rendering, after the RenderFile check; one that stopped keeps the steps
  // it made and says why in Stopped.
  virtual TRenderRun RenderDetailed(const std::string& FileName) = 0;
  // The lists of installed filters and audio renderers.
  virtual void WriteFilterLists(TLogWriter& W) = 0;
};

// The sections over a framework of this process: made on the first question by Make, and
// made again for every file when PerFile (a scripted world, whose answers depend on the
// calls before).
class TLocalFrameworkSections final : public IFrameworkSections {
 public:
  using TMake = std::function<std::unique_ptr<media::IMediaFramework>()>;
  explicit TLocalFrameworkSections(TMake Make, bool PerFile = false);
  // Over a framework owned by the caller.
  explicit TLocalFrameworkSections(media::IMediaFramework& Fw);
  ~TLocalFrameworkSections() override;

  void BeginFile() override;
  void Prepare(const std::string& FileName) override;
  void Start() override;
  TFilterInstall FilterInstall(const std::string& ClsidText) override;
  TRenderFileCheck CheckRenderFile(const std::string& FileName) override;
  TRenderRun RenderDetailed(const std::string& FileName) override;
  void WriteFilterLists(TLogWriter& W) override;

  media::IMediaFramework& Framework();
  // What this file's work left behind (media::IMediaFramework::Settle), waited for at
  // most Wait; a thread refused here too is the file's own failure.
  media::IMediaFramework::TLeftovers Settle(std::chrono::milliseconds Wait);
  // The detailed renderings' steps also go to OnStep as they are made, on the thread that
  // makes them.
  void SendStepsTo(TRenderStepEvent OnStep) { FOnStep = std::move(OnStep); }

 private:
  TMake FMake;
  bool FPerFile = false;
  std::unique_ptr<media::IMediaFramework> FOwned;
  media::IMediaFramework* FFw = nullptr;
  // The detailed rendering begun with the RenderFile check, for that file.
  std::unique_ptr<TDetailedRenderingAhead> FAhead;
  std::string FAheadFile;
  std::string FRefused;  // why the detailed rendering could not begin ahead, this file
  bool FSideBySide = false;  // the framework builds graphs side by side
  TRenderStepEvent FOnStep;
};

}  // namespace ambrel
