#include "app/MediaAnalysis.h"

#include <memory>
#include <optional>

#include "app/AnalysisCommand.h"
#include "app/ReportAssembly.h"
#include "dshow/DShowSections.h"
#include "platform/MediaWorld.h"

namespace ambrel {

namespace {

struct TOptions {
  std::optional<std::string> World;
  std::optional<std::string> SaveDir;
  std::optional<std::string> File;
  TAnalysisOutput Output = TAnalysisOutput::Text;
  bool Filters = false;
  bool NoRender = false;
};

struct TUsageError {
  std::string Message;
};

TOptions ParseOptions(const std::vector<std::string>& Args) {
  TOptions o;
  bool outputChosen = false;
  const auto chooseOutput = [&](TAnalysisOutput output, const std::string& name) {
    if (outputChosen) throw TUsageError{name + " cannot be combined with another output option"};
    outputChosen = true;
    o.Output = output;
  };
  bool positional = false;
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& a = Args[i];
    const auto value = [&]() -> const std::string& {
      if (i + 1 >= Args.size()) throw TUsageError{a + " needs a value"};
      return Args[++i];
    };
    if (positional || a.empty() || a[0] != '-' || a == "-") {
      if (o.File) throw TUsageError{"exactly one FILE is analysed"};
      o.File = a;
    } else if (a == "--") {
      positional = true;
    } else if (a == "--media-world") {
      o.World = value();
    } else if (a == "--html") {
      chooseOutput(TAnalysisOutput::Html, a);
    } else if (a == "--log") {
      chooseOutput(TAnalysisOutput::Log, a);
    } else if (a == "--save") {
      o.SaveDir = value();
    } else if (a == "--filters") {
      o.Filters = true;
    } else if (a == "--no-render") {
      o.NoRender = true;
    } else {
      throw TUsageError{"unknown option " + a};
    }
  }
  if (o.Filters && (o.File || o.SaveDir || o.Output == TAnalysisOutput::Log || o.NoRender)) {
    throw TUsageError{"--filters takes only --media-world and --html"};
  }
  return o;
}

void Print(std::ostream& out, std::string_view bytes) {
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.flush();
}

void PrintPage(std::ostream& out, TReportWriters& writers, bool sysInfo) {
  THTMLWriter page;
  writers.BuildHtmlPage(sysInfo, page);
  Print(out, page.GetStream().Bytes());
}

int RunFilters(media::IMediaFramework& fw, const TOptions& o, std::ostream& out) {
  TReportWriters writers;
  WriteDirectShowFiltersSection(writers.FSysInfoWriter, fw);
  if (o.Output == TAnalysisOutput::Html) {
    PrintPage(out, writers, true);
  } else {
    Print(out, writers.FSysInfoText.GetStream().Bytes());
  }
  return 0;
}

}  // namespace

int RunAnalysisCommand(const std::vector<std::string>& Args, const std::string& ExeDir, std::ostream& out,
                       std::ostream& err) {
  TOptions o;
  try {
    o = ParseOptions(Args);
  } catch (const TUsageError& e) {
    err << "ambrel-cli: " << e.Message << "\n";
    return 2;
  }
  std::unique_ptr<media::IMediaFramework> fw;
  std::optional<std::string> file = o.File;
  if (o.World) {
    media::TMediaWorldLoad world = media::LoadMediaWorldFile(*o.World);
    if (!world.Framework) {
      err << "ambrel-cli: media world refused: " << world.Error << "\n";
      return 2;
    }
    fw = std::move(world.Framework);
    if (!file && world.File) file = media::WideToUtf8(*world.File);
  } else if (o.Filters || !o.NoRender) {
    // Starting the platform's framework can take a while; --no-render skips it.
    fw = media::CreateDefaultMediaFramework();
  }
  if (o.Filters) return RunFilters(*fw, o, out);
  if (!file) {
    err << "ambrel-cli: no file given\n";
    return 2;
  }
  return RunAnalysis(*file, o.Output, o.SaveDir ? &*o.SaveDir : nullptr, ExeDir, out, err, fw.get(), !o.NoRender);
}

}  // namespace ambrel
