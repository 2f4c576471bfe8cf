// The detailed rendering engine: builds a filter graph for one media file by itself, pin
// by pin, and records every step (filters tried, connections, back-outs) as data.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "dshow/DShowHelper.h"
#include "dshow/RenderRun.h"

namespace ambrel {

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

  // Builds the graph for FileName (UTF-8) and gives every step to FOnStep. Without
  // FOnStep the same graph is built and the framework's clock is not read.
  void MyRenderFile(const std::string& FileName);
  // Releases the mapper, revokes the running-object-table entry, releases the graph and
  // undoes this object's framework initialisation.
  void ReleaseGraph();

  TRenderStepEvent FOnStep;

 private:
  void Note(TRenderStep Step);
  void Note(TRenderStepKind Kind) { Note(TRenderStep(Kind)); }
  // A step with a code and its text.
  void NoteResult(TRenderStepKind Kind, HRESULT HR, TShownName Filter = {});
  // A step about a candidate, and a path with (optional) the filter that ends it.
  void NoteFilter(TRenderStepKind Kind, TShownName Filter);
  void NotePath(TRenderStepKind Kind, const TRenderPath& Path, TShownName Filter = {});
  // The name a filter of the graph goes by, telling the engine's own names apart.
  TGraphFilterName GraphFilterName(IBaseFilter* Filter);

  HRESULT RegisterGraphInRot();
  HRESULT RevokeGraphFromRot();
  // Renders every free output pin of Filter, whose output pins stand at Level. Returns
  // how many were rendered now; Outputs receives how many output pins it has.
  // The path to Filter is Before; Name is the filter's own.
  int RenderFilterOutputs(IBaseFilter* Filter, const TRenderPath& Before, const TShownName& Name, int Level,
                          int& Outputs);
  bool RenderOutputPin(IPin* Pin, const TRenderPath& Path, int Level);
  // One candidate of the trying pass; true when it was connected and rendered.
  bool TryCandidate(IPin* Pin, media::IMoniker* Moniker, const TRenderPath& Path, int Level, bool& StopTrying);
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
  // The filters the engine added under a name it read and is keeping, with that name.
  std::vector<std::pair<ComPtr<IBaseFilter>, std::u16string>> FNamed;
};

}  // namespace ambrel
