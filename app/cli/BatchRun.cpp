#include "app/cli/BatchRun.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <system_error>
#include <thread>

#include "app/cli/FileFailure.h"
#include "base/TextUtil.h"
#include "base/Utf8Path.h"

namespace ambrel {

namespace fs = std::filesystem;

namespace {

void Print(std::ostream& out, std::string_view bytes) {
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Collects the Matroska files under Dir, and a refusal for every folder that cannot be
// read (the walk goes on with the others).
void WalkDirectory(const fs::path& Dir, std::vector<TBatchItem>& Found) {
  std::error_code ec;
  fs::directory_iterator it(Dir, ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::error_code typeError;
    const fs::file_status status = it->symlink_status(typeError);
    if (fs::is_directory(status)) {
      WalkDirectory(it->path(), Found);
    } else if (it->is_regular_file(typeError) && IsMatroskaFileName(PathUtf8(it->path()))) {
      Found.push_back({PathUtf8(it->path()), {}});
    }
  }
  if (ec) Found.push_back({PathUtf8(Dir), "cannot read the directory " + PathUtf8(Dir) + ": " + ec.message(), false});
}

void WalkArgument(const std::string& Dir, std::vector<TBatchItem>& Items) {
  std::vector<TBatchItem> found;
  WalkDirectory(Utf8Path(Dir), found);
  std::sort(found.begin(), found.end(), [](const TBatchItem& a, const TBatchItem& b) { return a.Path < b.Path; });
  for (TBatchItem& item : found) Items.push_back(std::move(item));
}

void AddArgument(const std::string& Arg, bool Recursive, std::vector<TBatchItem>& Items) {
  std::error_code ec;
  if (!fs::is_directory(Utf8Path(Arg), ec)) {
    Items.push_back({Arg, {}});
  } else if (Recursive) {
    WalkArgument(Arg, Items);
  } else {
    Items.push_back({Arg, Arg + " is a directory (give --recursive to analyse the files in it)"});
  }
}

// Reads the path list from In as a stream, a line at a time, so that an endless input
// holds no more than one line's worth. A line longer than any path ends the list: what
// follows it cannot be told apart from the rest of that line.
void ReadPathList(std::istream& In, bool Recursive, std::vector<TBatchItem>& Items) {
  std::streambuf& input = *In.rdbuf();
  std::string line;
  size_t number = 1;
  const auto endLine = [&] {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find('\0') != std::string::npos) {
      // No file name holds a NUL byte: the list is not a list of names.
      Items.push_back({{}, "line " + std::to_string(number) + " of the path list holds a NUL byte", false});
    } else if (!line.empty()) {
      AddArgument(line, Recursive, Items);
    }
    line.clear();
    ++number;
  };
  try {
    for (int c; (c = input.sbumpc()) != std::char_traits<char>::eof();) {
      if (c == '\n') {
        endLine();
      } else if (line.size() < kMaxListPathLength) {
        line += static_cast<char>(c);
      } else {
        Items.push_back({{}, "line " + std::to_string(number) + " of the path list is longer than " +
                                 std::to_string(kMaxListPathLength) + " bytes; the rest of the list is not read",
                         false});
        return;
      }
    }
  } catch (const std::system_error& e) {
    Items.push_back({{}, "cannot read the path list on standard input: " + e.code().message(), false});
    return;
  }
  if (!line.empty()) endLine();
}

// Out (optional) receives the output as it is made (see AnalyseFile). A refused item's
// output is returned, so that the refusal comes first.
TFileAnalysis AnalyseItem(const TBatchItem& Item, const TBatchOptions& Options, const TAnalysisContext& Context,
                          std::ostream* Out = nullptr) {
  TFileAnalysis result;
  if (Item.Analyse) {
    try {
      result = AnalyseFile(Item.Path, Options.Output, Options.SaveDir, Context, Options.Render,
                           Item.Refusal.empty() ? Out : nullptr, Item.SaveName);
      if (!result.Succeeded && Item.Refusal.empty()) {
        if (const std::string reason = FileFailureReason(Item.Path); !reason.empty()) {
          result.Errors += FileFailureLine(Item.Path, reason);
          if (result.Verdict.Status == "damaged") result.Verdict.Reason = reason;
        }
      }
    } catch (const std::exception& e) {
      // One file that cannot be analysed (memory exhausted, say) does not stop the others.
      result.Errors = FileFailureLine(Item.Path, e.what());
      result.Succeeded = false;
    }
  }
  // A refused argument still gets its report (which cannot open it), so every argument
  // has one output; the refusal says why on standard error.
  if (!Item.Refusal.empty()) {
    // The refusal is the reason, said once.
    result.Errors = "ambrel-cli: " + Item.Refusal + "\n";
    result.Succeeded = false;
    if (result.Verdict.Status == "damaged") result.Verdict.Reason = Item.Refusal;
  }
  return result;
}

// The tables with a framework of this thread's own, made on first use.
class TThreadContext {
 public:
  TThreadContext(const TBatchOptions& Options, const TAnalysisContext& Tables) : FOptions(Options), FTables(Tables) {}
  // The context of the next file's analysis.
  TAnalysisContext Get() {
    if (!FMade && FOptions.MakeFramework) FFramework = FOptions.MakeFramework();
    FMade = true;
    if (FFramework) FFramework->BeginFile();
    return {FTables.FriendlyNames, FTables.CodecDB, FFramework.get(), FTables.InstalledWithoutFramework};
  }

 private:
  const TBatchOptions& FOptions;
  const TAnalysisContext& FTables;
  std::unique_ptr<IFrameworkSections> FFramework;
  bool FMade = false;
};

// Runs the analyses on Jobs threads. A thread takes the next file only while fewer than
// a few files per thread wait to be printed, so the outputs held stay bounded however
// long the batch is.
class TParallelBatch {
 public:
  TParallelBatch(const std::vector<TBatchItem>& Items, const TBatchOptions& Options, const TAnalysisContext& Tables)
      : FItems(Items), FOptions(Options), FTables(Tables), FResults(Items.size()),
        FWindow(4 * static_cast<size_t>(Options.Jobs)) {}

  template <class F>
  void Run(F Consume) {
    std::vector<std::thread> workers;
    const size_t count = std::min<size_t>(FOptions.Jobs, FItems.size());
    for (size_t i = 0; i < count; ++i) workers.emplace_back([this] { Work(); });
    for (size_t i = 0; i < FItems.size(); ++i) {
      std::optional<TFileAnalysis> result;
      {
        std::unique_lock lock(FMutex);
        FReady.wait(lock, [&] { return FResults[i].has_value(); });
        result = std::move(FResults[i]);
        FResults[i].reset();
        FPrinted = i + 1;
      }
      FRoom.notify_all();
      Consume(*result, FItems[i]);
    }
    for (std::thread& worker : workers) worker.join();
  }

 private:
  void Work() {
    TThreadContext context(FOptions, FTables);
    for (;;) {
      size_t index;
      {
        std::unique_lock lock(FMutex);
        FRoom.wait(lock, [&] { return FNext >= FItems.size() || FNext < FPrinted + FWindow; });
        if (FNext >= FItems.size()) return;
        index = FNext++;
      }
      TFileAnalysis result = AnalyseItem(FItems[index], FOptions, context.Get());
      {
        std::lock_guard lock(FMutex);
        FResults[index] = std::move(result);
      }
      FReady.notify_all();
    }
  }

  const std::vector<TBatchItem>& FItems;
  const TBatchOptions& FOptions;
  const TAnalysisContext& FTables;
  std::vector<std::optional<TFileAnalysis>> FResults;
  const size_t FWindow;
  std::mutex FMutex;
  std::condition_variable FReady;  // a result was stored
  std::condition_variable FRoom;   // a result was printed
  size_t FNext = 0;
  size_t FPrinted = 0;
};

}  // namespace

bool IsMatroskaFileName(const std::string& Path) {
  const std::string extension = PathUtf8(Utf8Path(Path).extension());
  for (const char* known : {".mkv", ".mka", ".mks", ".webm"}) {
    if (SameTextAscii(extension, known)) return true;
  }
  return false;
}

void NameSavedReports(std::vector<TBatchItem>& Items) {
  std::set<std::string> taken;
  const auto folded = [](std::string name) {
    for (char& c : name) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    return name;
  };
  for (TBatchItem& item : Items) {
    std::string stem = PathUtf8(Utf8Path(item.Path).stem());
    if (stem.empty() || stem == "." || stem == "..") stem = "Report";
    std::string name = stem;
    for (unsigned n = 2; !taken.insert(folded(name)).second; ++n) name = stem + "-" + std::to_string(n);
    item.SaveName = name;
  }
}

std::vector<TBatchItem> ExpandFileArguments(const std::vector<std::string>& Args, bool Recursive, std::istream& In) {
  std::vector<TBatchItem> items;
  bool stdinRead = false;
  for (const std::string& arg : Args) {
    if (arg != "-") {
      AddArgument(arg, Recursive, items);
      continue;
    }
    // Standard input holds one list: a second "-" finds it used up.
    if (stdinRead) continue;
    stdinRead = true;
    ReadPathList(In, Recursive, items);
  }
  return items;
}

TProgressLine::TProgressLine(std::ostream& Out, size_t Total, TClock::duration RedrawInterval)
    : FOut(Out), FTotal(Total), FInterval(RedrawInterval), FStart(TClock::now()) {}

void TProgressLine::Step(TClock::time_point Now) {
  ++FDone;
  if (!FDrawn || Now - FLastDraw >= FInterval) Draw(Now);
}

void TProgressLine::Clear() {
  if (FDrawn) FOut << "\r\033[K" << std::flush;
  FDrawn = false;
}

void TProgressLine::Finish(TClock::time_point Now) {
  Draw(Now);
  FOut << "\n" << std::flush;
  FDrawn = false;
}

void TProgressLine::Draw(TClock::time_point Now) {
  const double seconds = std::chrono::duration<double>(Now - FStart).count();
  char text[96];
  if (seconds > 0) {
    std::snprintf(text, sizeof text, "%zu/%zu files, %.1f files/s", FDone, FTotal, FDone / seconds);
  } else {
    std::snprintf(text, sizeof text, "%zu/%zu files", FDone, FTotal);
  }
  FOut << "\r\033[K" << text << std::flush;
  FDrawn = true;
  FLastDraw = Now;
}

int RunBatch(const std::vector<TBatchItem>& Items, const TBatchOptions& Options, const TAnalysisContext& Tables,
             std::ostream& out, std::ostream& err, TProgressLine* Progress) {
  size_t failed = 0;
  // The progress line and the reports share the terminal: the line goes before a report does.
  const bool clearFirst = Progress && Options.OutSharesProgressTerminal;
  const auto consume = [&](const TFileAnalysis& result, const TBatchItem& item) {
    // A file in the summary has its line, which says why it failed.
    const bool summed = Options.Summary && item.Analyse;
    if (Progress && ((!summed && !result.Errors.empty()) || clearFirst)) Progress->Clear();
    if (!summed) Print(err, result.Errors);
    if (summed) Options.Summary->Add(item.Path, result.Verdict);
    Print(out, result.Output);
    out.flush();
    if (!result.Succeeded) ++failed;
    if (Progress) Progress->Step();
  };
  if (Options.Jobs <= 1 || Items.size() <= 1) {
    TThreadContext context(Options, Tables);
    // One file at a time: each output is written out as it is made.
    for (const TBatchItem& item : Items) {
      // Nothing more can be written: the rest would be analysed for nobody.
      if (!out) break;
      if (clearFirst) Progress->Clear();
      consume(AnalyseItem(item, Options, context.Get(), &out), item);
    }
  } else {
    TParallelBatch(Items, Options, Tables).Run(consume);
  }
  if (Progress) Progress->Finish();
  if (failed > 0 && Items.size() > 1 && !Options.Summary) {
    err << "ambrel-cli: " << failed << " of " << Items.size() << " files failed\n";
  }
  return failed == 0 ? 0 : 1;
}

}  // namespace ambrel
