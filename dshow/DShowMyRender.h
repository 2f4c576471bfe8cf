// The detailed rendering engine: builds a filter graph for one media file by itself, pin
// by pin, and narrates every step (filters tried, connections, back-outs) as one line of
// report text per step.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "dshow/DShowHelper.h"

namespace ambrel {

using TRenderLogEvent = std::function<void(const std::string& Line)>;

class TDShowMyRender {
 public:
  // A chain of filters deeper than this is not extended further.
  static constexpr int kMaxPathFilters = 16;
  // A run tries at most this many candidate filters in all.
  static constexpr int kMaxConnectionTries = 200;

  explicit TDShowMyRender(IMediaFramework& Fw) : FFw(Fw) {}
  ~TDShowMyRender() { ReleaseGraph(); }
  TDShowMyRender(const TDShowMyRender&) = delete;
  TDShowMyRender& operator=(const TDShowMyRender&) = delete;

  // Builds the graph for FileName (UTF-8) and logs every step through FOnLog.
  void MyRenderFile(const std::string& FileName);
  // Releases the mapper, revokes the running-object-table entry, releases the graph and
  // undoes this object's framework initialisation.
  void ReleaseGraph();

  TRenderLogEvent FOnLog;

 private:
  void Log(const std::string& Text);
  void LogSuccess(const std::string& Text);
  void LogError(const std::string& Text);
  void LogResult(const std::string& Msg, HRESULT HR);

  HRESULT RegisterGraphInRot();
  HRESULT RevokeGraphFromRot();
  // Renders every free output pin of Filter, whose output pins stand at Level. Returns
  // how many were rendered now; Outputs receives how many output pins it has.
  int RenderFilterOutputs(IBaseFilter* Filter, const std::string& Path, int Level, int& Outputs);
  bool RenderOutputPin(IPin* Pin, const std::string& Path, int Level);
  // One candidate of the trying pass; true when it was connected and rendered.
  bool TryCandidate(IPin* Pin, media::IMoniker* Moniker, const std::string& Path, int Level, bool& StopTrying);
  HRESULT ConnectToGraphFilters(IPin* OutPin);
  HRESULT ConnectToFilter(IPin* OutPin, IBaseFilter* Filter);
  bool AllOutputsConnected();
  std::u16string CutFriendlyName(const std::u16string& Name);

  IMediaFramework& FFw;
  ComPtr<media::IGraphBuilder> FGraph;
  ComPtr<media::IFilterMapper2> FMapper;
  HRESULT FLastResult = 0;
  uint32_t FStartTick = 0;
  uint32_t FRotRegister = 0;
  bool FComInitialized = false;
  int FTries = 0;
  bool FTooManyTriesLogged = false;
};

}  // namespace ambrel
