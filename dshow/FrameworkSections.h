// What an analysis asks the media framework, at the level of its report sections: a file to
// prepare, whether a proposed filter is installed, the RenderFile check and the detailed
// rendering (as sections, or as the answers the JSON document reads). Answered in this
// process over a framework (TLocalFrameworkSections), or by a framework host process that
// runs the same sections and streams them back (media/host/).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "media/MediaFramework.h"
#include "report/LogWriter.h"

namespace ambrel {

class TDetailedRenderingAhead;

inline constexpr char kRenderFileCheckTitle[] = "DirectShow RenderFile check : ";
inline constexpr char kDetailedRenderingTitle[] = "DirectShow detailed rendering : ";
inline constexpr char kFiltersTitle[] = "DirectShow filters :";

// The rendering sections' answers.
struct TRenderAnswers {
  bool Checked = false;            // the RenderFile check answered
  media::HRESULT Hr = media::S_OK; // its answer
  std::string HrText;              // and the answer's text, as the section shows it
  std::vector<std::string> Lines;  // the detailed rendering's narrative
  // Set when the framework stopped before the sections were done: the line that says so
  // ("The media framework stopped while rendering this file: ..."); what came before stays.
  std::string Stopped;
};

class IFrameworkSections {
 public:
  virtual ~IFrameworkSections() = default;

  // A file's analysis begins: a scripted world starts again from its initial state.
  virtual void BeginFile() {}
  // Announces the file whose rendering sections follow: the framework may start them now.
  virtual void Prepare(const std::string& FileName) = 0;
  // Waits for the framework to have started (the caller's thread may do the start).
  virtual void Start() = 0;
  // The proposed filter's installed state, as the codec candidates show it.
  virtual std::string FilterInstalled(const std::string& ClsidText) = 0;
  // Writes the RenderFile check section into W; its answer goes into Answers.
  virtual void WriteRenderFileCheck(const std::string& FileName, TLogWriter& W, TRenderAnswers& Answers) = 0;
  // Writes the detailed rendering section into W; its lines go into Answers.
  virtual void WriteDetailedRendering(const std::string& FileName, TLogWriter& W, TRenderAnswers& Answers) = 0;
  // Both answers, without the sections.
  virtual TRenderAnswers RenderAnswers(const std::string& FileName) = 0;
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
  std::string FilterInstalled(const std::string& ClsidText) override;
  void WriteRenderFileCheck(const std::string& FileName, TLogWriter& W, TRenderAnswers& Answers) override;
  void WriteDetailedRendering(const std::string& FileName, TLogWriter& W, TRenderAnswers& Answers) override;
  TRenderAnswers RenderAnswers(const std::string& FileName) override;
  void WriteFilterLists(TLogWriter& W) override;

  media::IMediaFramework& Framework();

 private:
  TMake FMake;
  bool FPerFile = false;
  std::unique_ptr<media::IMediaFramework> FOwned;
  media::IMediaFramework* FFw = nullptr;
  // The detailed rendering begun with the RenderFile check, for that file.
  std::unique_ptr<TDetailedRenderingAhead> FAhead;
  std::string FAheadFile;
};

}  // namespace ambrel
