#include "dshow/RenderRun.h"

#include <string_view>

#include "dshow/DShowMyRender.h"
#include "base/Verbatim.h"

namespace ambrel {

using media::HRESULT;

namespace {

constexpr std::string_view kFontEnd = "</font>";
constexpr std::string_view kFilterColour = "<font color=\"#0067AB\">";
constexpr std::string_view kInputPinColour = "<font color=\"#CC00AA\">";
constexpr std::string_view kOutputPinColour = "<font color=\"#EA7500\">";
constexpr std::string_view kSuccessColour = "<font color=\"#008800\">";
constexpr std::string_view kErrorColour = "<font color=\"#DD0000\">";

// Writes a step's text either as report markup or as plain text.
class TStepText {
 public:
  explicit TStepText(bool Marked) : FMarked(Marked) {}

  // Text from outside the program.
  std::string Lit(std::string_view Text) const { return FMarked ? Verbatim(Text) : std::string(Text); }
  std::string Wrap(std::string_view Open, std::string_view Close, const std::string& Text) const {
    if (!FMarked) return Text;
    std::string out(Open);
    out += Text;
    out += Close;
    return out;
  }
  std::string Bold(const std::string& Text) const { return Wrap("<b>", "</b>", Text); }
  std::string Colour(std::string_view Open, const std::string& Text) const { return Wrap(Open, kFontEnd, Text); }
  std::string Success(const std::string& Text) const { return Colour(kSuccessColour, Text); }
  std::string Error(const std::string& Text) const { return Colour(kErrorColour, Text); }
  // A code's text in red when it is a failure, else in green.
  std::string Outcome(const std::string& Text, HRESULT Result) const {
    return media::FAILED(Result) ? Error(Text) : Success(Text);
  }

  std::string Filter(const TShownName& Name) const { return Name ? Colour(kFilterColour, Lit(*Name)) : std::string(); }
  std::string Pin(std::string_view PinColour, const TShownName& Name) const {
    return Name ? Colour(PinColour, Lit(*Name)) : std::string();
  }
  // A filter read back from the graph: the engine's own name keeps the colour it is shown
  // in everywhere, inside the colour of the filter's description.
  std::string Joined(const TGraphFilterName& Name) const {
    if (!Name.Name) return {};
    if (!Name.Given) return Filter(Name.Name);
    return Colour(kFilterColour, Filter(Name.Name) + Lit(Name.Suffix));
  }
  std::string Path(const TRenderPath& Path) const {
    std::string out;
    for (size_t i = 0; i < Path.size(); ++i) {
      if (i > 0) out += " -> ";
      out += Filter(Path[i].Filter) + "(" + Pin(kOutputPinColour, Path[i].Pin) + ")";
    }
    return out;
  }

  std::string Body(const TRenderStep& S) const;

 private:
  bool FMarked;
};

std::string JoinNames(const std::vector<std::string>& Names, const TStepText& T) {
  std::string out;
  for (const std::string& name : Names) {
    if (&name != &Names.front()) out += ", ";
    out += T.Lit(name);
  }
  return out;
}

std::string Limit(const char* Before, int Count, const char* After) {
  return Before + std::to_string(Count) + After;
}

std::string TStepText::Body(const TRenderStep& S) const {
  using K = TRenderStepKind;
  const std::string result = " : " + S.ResultText;
  switch (S.Kind) {
    case K::Start: return Bold("MyRenderFile : " + Lit(S.File));
    case K::CreateGraph: return Outcome("Creation of GraphBuilder" + result, S.Result);
    case K::CreateMapper: return Outcome("Creation of FilterMapper2" + result, S.Result);
    case K::RegisterGraph: return Outcome("Adding graph to ROT" + result, S.Result);
    case K::CreateSource: return Outcome("Creation of source filter" + result, S.Result);
    case K::RenderPin: return Bold("# Rendering output pin ") + Path(S.Path);
    case K::PathTooLong:
      return Error(Limit("Path too long (", TDShowMyRender::kMaxPathFilters, " filters), no further filter tried."));
    case K::MatchingFailed: return Outcome("EnumMatchingFilters failed" + result, S.Result);
    case K::Matching: return "Filters matching mediatype : " + JoinNames(S.Names, *this);
    case K::TooManyTries:
      return Error(Limit("Too many connection attempts (", TDShowMyRender::kMaxConnectionTries,
                         "), no further filter tried."));
    case K::Trying: return "Trying connection to " + Filter(S.Filter) + " :";
    case K::CreateFailed: return Outcome(Filter(S.Filter) + " creation failed : " + result, S.Result);
    case K::AlreadyDownstream: return Error("Filter is already downstream, skipping.");
    case K::AddFailed: return Outcome(Filter(S.Filter) + " AddFilter failed : " + result, S.Result);
    case K::ConnectFailed: return Error("Failed connecting pin to " + Filter(S.Filter) + ", removing it now.");
    case K::Connected: return Success("OK, connected to (" + Pin(kInputPinColour, S.Pin) + ")" + Joined(S.Joined));
    case K::Completed: return Success(Bold("Completed path : " + Path(S.Path) + " -> " + Filter(S.Filter)));
    case K::Backtracking:
      return Error("Backtracking, no output pin rendered for " + Filter(S.Filter) + ", removing it now.");
    case K::Finished: {
      // Outputs left free make the run a failure, though their code is a success code.
      const std::string text = "MyRenderFile finished" + result;
      return S.Result == media::S_OK ? Success(text) : Error(text);
    }
  }
  return {};
}

}  // namespace

const TRenderStep* TRenderRun::Finished() const {
  return !Steps.empty() && Steps.back().Kind == TRenderStepKind::Finished ? &Steps.back() : nullptr;
}

std::vector<std::string> TRenderRun::CompletedPaths() const {
  const TStepText plain(false);
  std::vector<std::string> paths;
  for (const TRenderStep& step : Steps) {
    if (step.Kind == TRenderStepKind::Completed) paths.push_back(plain.Path(step.Path) + " -> " + plain.Filter(step.Filter));
  }
  return paths;
}

std::string RenderStepLine(const TRenderStep& Step) {
  return std::to_string(Step.Elapsed) + "> " + TStepText(true).Body(Step);
}

std::string RenderStepText(const TRenderStep& Step) { return TStepText(false).Body(Step); }

size_t FilterColourMarkupLength() { return kFilterColour.size() + kFontEnd.size(); }

}  // namespace ambrel
