// What the detailed rendering did, as data: one record per step, with the names, codes
// and paths it met. The rendering section turns each step into its report line; the JSON
// document reads the final result and the completed paths from the same records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "com/HResult.h"

namespace ambrel {

// A name given by the framework, as UTF-8 text; none when it could not be read, which the
// report shows as nothing at all (not even its colour).
using TShownName = std::optional<std::string>;

// A filter as the graph names it. For a filter the engine added itself, Name is the name
// it gave and Suffix what the graph appended to it (" 0001" for a name already taken).
struct TGraphFilterName {
  TShownName Name;
  bool Given = false;
  std::string Suffix;
};

// One output pin on a path: its filter and the pin.
struct TPathHop {
  TShownName Filter;
  TShownName Pin;
};
using TRenderPath = std::vector<TPathHop>;

enum class TRenderStepKind : uint8_t {
  Start,              // File: the run begins
  CreateGraph,        // Result: the graph builder made
  CreateMapper,       // Result: the filter mapper made
  RegisterGraph,      // Result: the graph entered in the running-object table
  CreateSource,       // Result: the source filter added
  RenderPin,          // Path: an output pin is rendered
  PathTooLong,        // the path holds the most filters a path may have
  MatchingFailed,     // Result: the mapper gave no list of matching filters
  Matching,           // Names: the filters the mapper lists for the pin's media types
  TooManyTries,       // the run tried the most candidates it may
  Trying,             // Filter: a candidate is tried
  CreateFailed,       // Filter, Result
  AlreadyDownstream,  // the candidate's class is on the path already
  AddFailed,          // Filter, Result
  ConnectFailed,      // Filter: no free input pin of the candidate took the pin
  Connected,          // Pin, Joined: the output pin is connected to this input pin
  Completed,          // Path, Filter: a path ends in a filter without output pins
  Backtracking,       // Filter: none of the candidate's output pins was rendered
  Finished,           // Result: the run's end; VFW_S_PARTIAL_RENDER when outputs stay free
};

struct TRenderStep {
  explicit TRenderStep(TRenderStepKind StepKind) : Kind(StepKind) {}

  TRenderStepKind Kind;
  uint32_t Elapsed = 0;  // milliseconds since the run began
  media::HRESULT Result = 0;
  std::string ResultText;  // the framework's text for Result
  std::string File;        // the rendered file (UTF-8, well-formed)
  TRenderPath Path;
  TShownName Filter;  // the candidate, as the mapper names it
  TShownName Pin;     // the input pin connected to
  TGraphFilterName Joined;
  std::vector<std::string> Names;
};

struct TRenderRun {
  std::vector<TRenderStep> Steps;
  // Set when the framework stopped before the run's end: the line that says so; the steps
  // before stay.
  std::string Stopped;

  // The final step; none when the run stopped before its end.
  const TRenderStep* Finished() const;
  // Every completed path, as plain text.
  std::vector<std::string> CompletedPaths() const;
};

// Takes each step of a run as it is made.
using TRenderStepEvent = std::function<void(const TRenderStep& Step)>;

// A step's report line: the elapsed time, then its text with the program's colours; names
// from the framework are passed as Verbatim() text.
std::string RenderStepLine(const TRenderStep& Step);
// The same text as plain UTF-8, without the elapsed time.
std::string RenderStepText(const TRenderStep& Step);

// How many units the filter colour's markup takes around a name. The engine cuts the
// names it gives the graph by this much below the graph's limit, as the reports have
// always shown them.
size_t FilterColourMarkupLength();

}  // namespace ambrel
