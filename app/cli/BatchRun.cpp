#include "app/cli/BatchRun.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <mutex>
#include <optional>
#include <thread>

#include "base/TextUtil.h"

namespace ambrel {

namespace fs = std::filesystem;

namespace {

void Print(std::ostream& out, std::string_view bytes) {
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void WalkDirectory(const std::string& Dir, std::vector<TBatchItem>& Items) {
  std::vector<std::string> found;
  std::error_code ec;
  fs::recursive_directory_iterator it(Dir, fs::directory_options::skip_permission_denied, ec);
  for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    std::error_code typeError;
    if (it->is_regular_file(typeError) && IsMatroskaFileName(it->path().string())) {
      found.push_back(it->path().string());
    }
  }
  if (ec) {
    Items.push_back({Dir, "cannot read the directory " + Dir + ": " + ec.message()});
    return;
  }
  std::sort(found.begin(), found.end());
  for (std::string& path : found) Items.push_back({std::move(path), {}});
}

void AddArgument(const std::string& Arg, bool Recursive, std::vector<TBatchItem>& Items) {
  std::error_code ec;
  if (!fs::is_directory(Arg, ec)) {
    Items.push_back({Arg, {}});
  } else if (Recursive) {
    WalkDirectory(Arg, Items);
  } else {
    Items.push_back({Arg, Arg + " is a directory (give --recursive to analyse the files in it)"});
  }
}

// Out (optional) receives the output as it is made (see AnalyseFile). A refused item's
// output is returned, so that the refusal comes first.
TFileAnalysis AnalyseItem(const TBatchItem& Item, const TBatchOptions& Options, const TAnalysisContext& Context,
                          std::ostream* Out = nullptr) {
  TFileAnalysis result;
  try {
    result = AnalyseFile(Item.Path, Options.Output, Options.SaveDir, Context, Options.Render,
                         Item.Refusal.empty() ? Out : nullptr);
  } catch (const std::exception& e) {
    // One file that cannot be analysed (memory exhausted, say) does not stop the others.
    result.Errors = "ambrel-cli: " + Item.Path + ": " + e.what() + "\n";
    result.Succeeded = false;
  }
  // A refused argument still gets its report (which cannot open it), so every argument
  // has one output; the refusal says why on standard error.
  if (!Item.Refusal.empty()) {
    // The refusal is the reason, said once.
    result.Errors = "ambrel-cli: " + Item.Refusal + "\n";
    result.Succeeded = false;
  }
  return result;
}

// The tables with a framework of this thread's own, made on first use.
class TThreadContext {
 public:
  TThreadContext(const TBatchOptions& Options, const TAnalysisContext& Tables) : FOptions(Options), FTables(Tables) {}
  TAnalysisContext Get() {
    if (!FMade && FOptions.MakeFramework) FFramework = FOptions.MakeFramework();
    FMade = true;
    return {FTables.FriendlyNames, FTables.CodecDB, FFramework.get()};
  }

 private:
  const TBatchOptions& FOptions;
  const TAnalysisContext& FTables;
  std::unique_ptr<media::IMediaFramework> FFramework;
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
      Consume(*result);
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
  const std::string extension = fs::path(Path).extension().string();
  for (const char* known : {".mkv", ".mka", ".mks", ".webm"}) {
    if (SameTextAscii(extension, known)) return true;
  }
  return false;
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
    std::string line;
    while (std::getline(In, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty()) AddArgument(line, Recursive, items);
    }
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
  bool allSucceeded = true;
  const auto consume = [&](const TFileAnalysis& result) {
    if (!result.Errors.empty()) {
      if (Progress) Progress->Clear();
      Print(err, result.Errors);
    }
    Print(out, result.Output);
    out.flush();
    allSucceeded = allSucceeded && result.Succeeded;
    if (Progress) Progress->Step();
  };
  if (Options.Jobs <= 1 || Items.size() <= 1) {
    TThreadContext context(Options, Tables);
    // One file at a time: each output is written out as it is made.
    for (const TBatchItem& item : Items) consume(AnalyseItem(item, Options, context.Get(), &out));
  } else {
    TParallelBatch(Items, Options, Tables).Run(consume);
  }
  if (Progress) Progress->Finish();
  return allSucceeded ? 0 : 1;
}

}  // namespace ambrel
