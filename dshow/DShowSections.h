// The report sections over the media framework: the splitter and RenderFile check, the
// detailed rendering narrative, and the lists of installed filters and audio renderers.
// Each writes only to the writer it is given and never throws.
#pragma once

#include <functional>
#include <future>
#include <string>
#include <vector>

#include "media/MediaFramework.h"
#include "report/LogWriter.h"

namespace ambrel {

// FileName is the analysed file's path (UTF-8).

// Lets the framework start rendering the file while the caller writes what comes before the
// rendering sections (the file's own report); the sections read the same either way.
void PrepareRenderingSections(const std::string& FileName, media::IMediaFramework& Fw);
// Returns the RenderFile check's answer.
media::HRESULT WriteRenderFileCheckSection(const std::string& FileName, TLogWriter& W, media::IMediaFramework& Fw);

// The detailed rendering's narrative, begun at construction on a thread of its own when the
// framework builds graphs side by side (the RenderFile check's graph renders meanwhile), so
// that its section waits for less. With any other framework nothing runs ahead: the lines
// are rendered when asked for, after the sections before, so the framework sees its calls
// in the order it would without this. The constructor asks the framework which it is, and
// so waits for (or runs) its start.
class TDetailedRenderingAhead {
 public:
  using TOnLine = std::function<void(const std::string&)>;
  TDetailedRenderingAhead(std::string FileName, media::IMediaFramework& Fw);
  // Waits for a rendering still running.
  ~TDetailedRenderingAhead();
  TDetailedRenderingAhead(const TDetailedRenderingAhead&) = delete;
  TDetailedRenderingAhead& operator=(const TDetailedRenderingAhead&) = delete;

  // Gives every line of the narrative, in order. Called once.
  void TakeLines(const TOnLine& OnLine);

 private:
  std::string FFileName;
  media::IMediaFramework& FFw;
  std::vector<std::string> FLines;
  std::future<void> FAhead;  // valid while the lines rendered ahead are not taken
};

// Ahead, when given, is the rendering begun for this file. Kept (optional) also receives
// the narrative's lines.
void WriteDetailedRenderingSection(const std::string& FileName, TLogWriter& W, media::IMediaFramework& Fw,
                                   TDetailedRenderingAhead* Ahead = nullptr, std::vector<std::string>* Kept = nullptr);
void WriteDirectShowFiltersSection(TLogWriter& W, media::IMediaFramework& Fw);

}  // namespace ambrel
