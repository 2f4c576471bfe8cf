#include "app/cli/CommandLine.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <functional>
#include <iterator>
#include <optional>

#include "app/analysis/AnalysisFramework.h"
#include "app/analysis/AnalysisTables.h"
#include "app/cli/BatchRun.h"
#include "app/cli/FilePatterns.h"
#include "app/cli/CodecDbCommands.h"
#include "app/analysis/ReportAssembly.h"
#include "app/cli/SystemInfoReport.h"
#include "sysinfo/SystemInfoSection.h"
#include "media/world/MediaWorld.h"

namespace ambrel {

namespace {

const char kDescription[] =
    "Analyses Matroska files (.mkv, .mka, .mks) and WebM files and prints their text reports\n"
    "(the file's structure, the RenderFile check and the detailed rendering), HTML pages,\n"
    "parsing logs or JSON documents; lists the installed filters; prints the system\n"
    "information; answers codec database questions.\n";

const char kVersion[] = "ambrel-cli 0.1.0\n";

const char kUsage[] =
    "Usage: ambrel-cli [--media-world WORLD] [--no-render] [--html | --log | --json] [--save DIR]\n"
    "                  [--jobs N] [--recursive] FILE...\n"
    "       ambrel-cli [--media-world WORLD] [--no-render] --summary [--jobs N] [--recursive] FILE...\n"
    "       ambrel-cli [--media-world WORLD] --filters [--html | --json]\n"
    "       ambrel-cli --system-info [--html | --json]\n"
    "       ambrel-cli --codec CODECID [--fourcc FOURCC] [--json]\n"
    "       ambrel-cli --check-codecdb FILE\n"
    "       ambrel-cli --dump-xml FILE\n";

struct TOptions {
  bool Html = false;
  bool Log = false;
  bool Json = false;
  bool Summary = false;
  std::optional<std::string> SaveDir;
  unsigned Jobs = 1;
  bool Recursive = false;
  std::optional<std::string> World;
  bool NoRender = false;
  bool Filters = false;
  bool SystemInfo = false;
  std::optional<std::string> Codec;
  std::string Fourcc;
  std::string CodecDb;
  std::optional<std::string> CheckCodecDB;
  std::optional<std::string> DumpXml;
  bool Version = false;
  std::vector<std::string> Files;
};

// The on/off flags, which the full parser declares and the fast path below reads.
struct TFlag {
  std::string_view Name;
  bool TOptions::*Field;
  const char* Description;
};
constexpr TFlag kFlags[] = {
    {"--version", &TOptions::Version, "show the program's version"},
    {"--html", &TOptions::Html, "print the HTML report page instead of the text report"},
    {"--log", &TOptions::Log, "print the Matroska parsing log instead"},
    {"--json", &TOptions::Json, "print one JSON document per file, one per line (or the answer of\n                        --filters, --system-info or --codec)"},
    {"--no-render", &TOptions::NoRender, "leave out the two rendering sections (no framework started)"},
};

const TFlag* FindFlag(std::string_view Name) {
  const auto flag = std::find_if(std::begin(kFlags), std::end(kFlags), [&](const TFlag& f) { return f.Name == Name; });
  return flag == std::end(kFlags) ? nullptr : flag;
}

CLI::Option* AddFlag(CLI::App& app, TOptions& o, std::string_view Name) {
  const TFlag& flag = *FindFlag(Name);
  return app.add_flag(std::string(flag.Name), o.*(flag.Field), flag.Description);
}

// Lists each option on one line: its names, its value's name, its description.
class TOneLineFormatter : public CLI::Formatter {
 public:
  std::string make_usage(const CLI::App*, std::string) const override { return kUsage; }
  std::string make_option(const CLI::Option* Opt, bool Positional) const override {
    std::string names = "  " + make_option_name(Opt, Positional);
    if (Positional) {
      names += "...";
    } else if (Opt->get_type_size() != 0) {
      names += " " + Opt->get_type_name();
    }
    names.resize(std::max<size_t>(names.size() + 1, 24), ' ');
    return names + Opt->get_description() + "\n";
  }
};

void Define(CLI::App& app, TOptions& o) {
  app.formatter(std::make_shared<TOneLineFormatter>());
  app.set_help_flag("-h,--help", "show this text");
  app.footer(
      "Exit status: 0 success; 1 a file could not be opened or parsed, or an output not written;\n"
      "2 a usage error; 3 with --summary, when every file parsed but some will not play here.");
  AddFlag(app, o, "--version");
  CLI::Option* html = AddFlag(app, o, "--html");
  CLI::Option* log = AddFlag(app, o, "--log");
  CLI::Option* json = AddFlag(app, o, "--json");
  html->excludes(log, json);
  log->excludes(json);
  CLI::Option* save = app.add_option("--save", o.SaveDir, "also write Report.html and Report.txt into DIR; with many files, NAME.html\n"
                                          "                        and NAME.txt for each, named after the file")
                          ->type_name("DIR");
  CLI::Option* summary =
      app.add_flag("--summary", o.Summary,
                   "one line per file, the answer first (plays, needs, cannot, damaged, stopped),\n"
                   "                        then a tally and the packages to install")
          ->excludes(html, log, json, save);
  CLI::Option* jobs = app.add_option("--jobs", o.Jobs, "analyse up to N files at once (output stays in order)")
                          ->type_name("N")
                          ->check(CLI::Range(1, 256).description(""));
  CLI::Option* recursive = app.add_flag("--recursive", o.Recursive, "walk directories for .mkv .mka .mks .webm files");
  CLI::Option* files = app.add_option("FILE", o.Files, "Matroska files, directories, or - for paths on standard input")
                           ->type_name("");
  CLI::Option* world = app.add_option("--media-world", o.World, "answer media-framework questions from a scripted world (JSON)")
                           ->type_name("WORLD");
  CLI::Option* noRender = AddFlag(app, o, "--no-render");
  CLI::Option* filters = app.add_flag("--filters", o.Filters, "list the installed filters and audio renderers instead");
  for (CLI::Option* other : {log, save, jobs, recursive, noRender, files, summary}) filters->excludes(other);
  CLI::Option* systemInfo =
      app.add_flag("--system-info", o.SystemInfo, "print this machine's system information (--html: as a page)");
  for (CLI::Option* other : {log, save, jobs, recursive, noRender, files, world, filters, summary})
    systemInfo->excludes(other);
  CLI::Option* codec = app.add_option("--codec", o.Codec, "list the codec database's proposals for a CodecID")
                           ->type_name("CODECID");
  app.add_option("--fourcc", o.Fourcc, "with --codec: the FOURCC too")->type_name("FOURCC")->needs(codec);
  app.add_option("--codec-db", o.CodecDb,
                 "the codec database: directshow, gstreamer (the embedded ones) or a file")
      ->type_name("DB");
  CLI::Option* check = app.add_option("--check-codecdb", o.CheckCodecDB, "check a codec database file")
                           ->type_name("FILE");
  CLI::Option* dump = app.add_option("--dump-xml", o.DumpXml, "parse an XML file and write it back")->type_name("FILE");
  // The database and XML modes take nothing else.
  for (CLI::Option* mode : {codec, check, dump}) {
    for (CLI::Option* other : {codec, check, dump, html, log, json, save, jobs, recursive, files, world, noRender, filters,
                               systemInfo, summary}) {
      // A codec query can answer in JSON.
      if (other != mode && !(mode == codec && other == json)) mode->excludes(other);
    }
  }
}

// Reads the commonest command lines, report flags and file names only (and --version),
// without setting up the full parser, whose set-up is a noticeable part of a short run.
// False for anything else (another option, "--", a name that starts with '-', a flag
// given twice, flags that exclude each other): the full parser reads those and words
// their errors.
bool ReadReportArguments(const std::vector<std::string>& Args, TOptions& o) {
  TOptions read;
  for (const std::string& arg : Args) {
    if (arg.empty()) return false;
    if (arg[0] != '-') {
      read.Files.push_back(arg);
      continue;
    }
    const TFlag* flag = FindFlag(arg);
    if (!flag || read.*(flag->Field)) return false;
    read.*(flag->Field) = true;
  }
  if (int{read.Html} + int{read.Log} + int{read.Json} > 1) return false;
  o = std::move(read);
  return true;
}

// Reads any command line with the full parser. Returns the exit status when the run ends
// here (help, a usage error), else nothing.
std::optional<int> ReadCommandLine(const std::vector<std::string>& Args, TOptions& o, std::ostream& Out,
                                   const std::function<int(const std::string&)>& usageError) {
  CLI::App app(kDescription, "ambrel-cli");
  Define(app, o);
  try {
    // CLI11 takes the arguments last first.
    std::vector<std::string> reversed(Args.rbegin(), Args.rend());
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    Out << app.help();
    return 0;
  } catch (const CLI::ParseError& e) {
    return usageError(e.what());
  }
  return std::nullopt;
}

// World (optional): the loaded scripted world, whose frameworks answer instead of the platform's.
int Analyse(const TOptions& o, const std::vector<TBatchItem>& items, const std::string& ExeDir, TCommandStreams& s,
            const TScriptedWorld* World) {
  TBatchOptions options;
  options.Output = o.Html      ? TAnalysisOutput::Html
                 : o.Log       ? TAnalysisOutput::Log
                 : o.Json      ? TAnalysisOutput::Json
                 : o.Summary   ? TAnalysisOutput::Summary
                               : TAnalysisOutput::Text;
  options.SaveDir = o.SaveDir ? &*o.SaveDir : nullptr;
  options.Jobs = o.Jobs;
  // The parsing log alone uses neither the framework nor the rendering sections.
  const bool logOnly = o.Log && !o.SaveDir;
  options.Render = !o.NoRender && !logOnly;
  // Starting the platform's framework can take a while; --no-render skips it. A world
  // answers the proposed filters' installed state even then.
  if ((World && !logOnly) || options.Render) {
    options.MakeFramework = AnalysisFrameworkMaker(World);
    // Each file's report says it too, where the framework would have answered.
    if (const std::string missing = FrameworkHostMissing(); !missing.empty()) s.Err << "ambrel-cli: " << missing << "\n";
  }
  const TAnalysisTables tables(ExeDir, s.Err, {o.CodecDb, o.World.has_value()});
  if (tables.Failed()) return 1;
  options.OutSharesProgressTerminal = s.OutIsErrTerminal;
  std::optional<TProgressLine> progress;
  if (s.ErrIsTerminal && items.size() > 1) progress.emplace(s.Err, items.size());
  std::optional<TBatchSummary> summary;
  if (o.Summary) summary.emplace(s.Out, s.Err, s.OutIsTerminal);
  options.Summary = summary ? &*summary : nullptr;
  const int status = RunBatch(items, options, tables.Context(), s.Out, s.Err, progress ? &*progress : nullptr);
  if (!summary) return status;
  summary->Finish();
  return status == 0 && !summary->AllPlay() ? 3 : status;
}

int Run(const std::vector<std::string>& Args, const std::string& ExeDir, TCommandStreams& Streams) {
  TOptions o;
  const std::function<int(const std::string&)> usageError = [&](const std::string& message) {
    Streams.Err << "ambrel-cli: " << message << "\n" << kUsage
                << "Run 'ambrel-cli --help' for the options.\n";
    return 2;
  };
  if (Args.empty()) return usageError("no file given");
  if (!ReadReportArguments(Args, o)) {
    if (const std::optional<int> status = ReadCommandLine(Args, o, Streams.Out, usageError)) return *status;
  }
  if (o.Version) {
    Streams.Out << kVersion;
    return 0;
  }
  if (o.Codec) return RunCodecQuery(*o.Codec, o.Fourcc, ExeDir, {o.CodecDb, false}, Streams.Out, Streams.Err, o.Json);
  if (o.CheckCodecDB) return RunCheckCodecDB(*o.CheckCodecDB, Streams.Out, Streams.Err);
  if (o.DumpXml) return RunDumpXml(*o.DumpXml, Streams.Out, Streams.Err);
  const TMachineOutput machine = o.Json ? TMachineOutput::Json : o.Html ? TMachineOutput::Html : TMachineOutput::Text;
  if (o.SystemInfo) {
    return RunSystemInfo(machine, LocalMachineProvider(), *AnalysisFrameworkMaker(nullptr)(), Streams.Out);
  }
  std::vector<std::string> files = o.Files;
  TScriptedWorld world;
  if (o.World) {
    // A refused world is a usage error; a world may name the file to analyse.
    media::TMediaWorldLoad loaded = media::LoadMediaWorldFile(*o.World);
    if (!loaded.Framework) return usageError("media world refused: " + loaded.Error);
    world = {std::move(loaded.Text), std::move(loaded.MakeAnother)};
    if (o.Filters) return ListFilters(machine, *AnalysisFrameworkMaker(&world)(), Streams.Out);
    if (files.empty() && loaded.File) files.push_back(media::WideToUtf8(*loaded.File));
  } else if (o.Filters) {
    return ListFilters(machine, *AnalysisFrameworkMaker(nullptr)(), Streams.Out);
  }
  if (files.empty()) return usageError("no file given");
#ifdef _WIN32
  // The shell of Windows hands patterns on as typed.
  files = ExpandSystemFilePatterns(files);
#endif
  std::vector<TBatchItem> items = ExpandFileArguments(files, o.Recursive, Streams.In);
  if (items.empty() && std::find(files.begin(), files.end(), "-") != files.end()) {
    return usageError("no file given (the path list on standard input is empty)");
  }
  // One file keeps the reports' usual names; many are named each after its file.
  if (o.SaveDir && items.size() > 1) NameSavedReports(items);
  return Analyse(o, items, ExeDir, Streams, o.World ? &world : nullptr);
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& Args, const std::string& ExeDir, TCommandStreams Streams) {
  int status = Run(Args, ExeDir, Streams);
  // A report that did not reach its reader is a failure, whatever the analysis said.
  Streams.Out.flush();
  if (!Streams.Out) {
    std::string reason = Streams.OutFailure ? Streams.OutFailure() : std::string();
    if (reason.empty()) reason = "write error";
    Streams.Err << "ambrel-cli: cannot write the output: " << reason << "\n";
    status = 1;
  }
  Streams.Err.flush();
  if (!Streams.Err && status == 0) status = 1;
  return status;
}

}  // namespace ambrel
