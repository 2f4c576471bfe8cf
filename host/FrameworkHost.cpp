#include "host/FrameworkHost.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>
#include <utility>

#include "io/Executable.h"
#include "host/HostWriter.h"
#include "host/RenderResultsWire.h"

extern char** environ;

namespace ambrel::host {

namespace {

// How long a host whose socket has closed is given to be seen ending before it is killed.
constexpr auto kExitGrace = std::chrono::milliseconds(1000);

constexpr char kUnreadable[] = "The media framework's answer could not be read";

std::string Seconds(std::chrono::milliseconds Bound) {
  if (Bound.count() < 1000) return std::to_string(Bound.count()) + " ms";
  const auto tenths = (Bound.count() + 50) / 100;
  return std::to_string(tenths / 10) + (tenths % 10 ? "." + std::to_string(tenths % 10) : "") + " s";
}

// Starts the host program with Socket as its descriptor 3, nothing else of this process's
// descriptors (they are close-on-exec, or closed by the host), and standard input and
// output on /dev/null. -1 when it cannot be started.
pid_t SpawnHost(const std::string& Path, int Socket) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, Socket, 3);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  const std::string parent = std::to_string(getpid());
  char* const argv[] = {const_cast<char*>(Path.c_str()), const_cast<char*>("--parent"),
                        const_cast<char*>(parent.c_str()), nullptr};
  pid_t pid = -1;
  const int failed = posix_spawn(&pid, Path.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  return failed ? -1 : pid;
}

}  // namespace

std::string FindHostProgram() {
  for (const std::string& dir : platform::ModuleDirectories()) {
    const std::string path = dir + "ambrel-framework-host";
    if (access(path.c_str(), X_OK) == 0) return path;
  }
  return {};
}

std::string HostStoppedLine(int Status) {
  std::string why;
  if (WIFSIGNALED(Status)) {
    const int sig = WTERMSIG(Status);
    const char* abbrev = sigabbrev_np(sig);
    why = abbrev ? std::string("SIG") + abbrev : "signal " + std::to_string(sig);
    if (const char* text = strsignal(sig)) why += std::string(" (") + text + ")";
  } else {
    why = "exit status " + std::to_string(WIFEXITED(Status) ? WEXITSTATUS(Status) : Status);
  }
  return "The media framework stopped while rendering this file: " + why;
}

TFrameworkHost::TFrameworkHost(std::string HostPath, std::optional<std::string> World, THostLimits Limits)
    : FHostPath(std::move(HostPath)), FWorld(std::move(World)), FLimits(Limits) {}

TFrameworkHost::~TFrameworkHost() {
  if (FPid <= 0) return;
  // The host is killed (it may be stuck in a plugin) and reaped on a thread of its own:
  // taking down its address space takes the kernel a while, which the end of a run need
  // not wait for.
  close(FFd);
  kill(FPid, SIGKILL);
  std::thread([pid = FPid] { waitpid(pid, nullptr, 0); }).detach();
}

bool TFrameworkHost::Running() {
  if (FPid > 0) return true;
  if (!FStopped.empty()) return false;
  int sockets[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) {
    FStopped = "The media framework could not be started: " + std::string(std::strerror(errno));
    return false;
  }
  // Descriptor 3 itself would keep its close-on-exec flag through the duplication.
  int theirs = sockets[1];
  if (theirs == 3) {
    theirs = fcntl(sockets[1], F_DUPFD_CLOEXEC, 4);
    close(sockets[1]);
  }
  FPid = SpawnHost(FHostPath, theirs);
  close(theirs);
  if (FPid <= 0) {
    close(sockets[0]);
    FPid = -1;
    FStopped = "The media framework could not be started: " + FHostPath;
    return false;
  }
  FFd = sockets[0];
  // A host that stops reading cannot hold a question up either.
  const timeval sendLimit{static_cast<time_t>(FLimits.Call.count() / 1000),
                          static_cast<suseconds_t>(FLimits.Call.count() % 1000 * 1000)};
  setsockopt(FFd, SOL_SOCKET, SO_SNDTIMEO, &sendLimit, sizeof sendLimit);
  FReader = TFrameReader(FFd);
  FAnswered = false;
  TFrame first(FWorld ? TKind::World : TKind::Platform);
  if (FWorld) first.Put(*FWorld);
  return Send(first);
}

bool TFrameworkHost::Send(const TFrame& Frame) {
  if (SendFrame(FFd, Frame)) return true;
  const bool full = errno == EAGAIN || errno == EWOULDBLOCK;
  Stop(full ? "The media framework did not answer within " + Seconds(FLimits.Call) : std::string());
  return false;
}

bool TFrameworkHost::Receive(TFrame& Frame, TClock::time_point Deadline, std::chrono::milliseconds Bound) {
  for (;;) {
    switch (FReader.Read(Frame, Deadline)) {
      case TReadResult::Frame:
        FAnswered = true;
        if (Frame.Kind() != TKind::Step) return true;
        // A step of the detailed rendering, sent as it was made (before the RenderFile
        // check's answer, for a rendering begun beside it).
        if (GetStep(Frame, FRun)) continue;
        Stop(kUnreadable);
        return false;
      case TReadResult::TimedOut:
        Stop("The media framework did not answer within " + Seconds(Bound));
        return false;
      case TReadResult::Closed:
        Stop({});
        return false;
    }
  }
}

void TFrameworkHost::Stop(std::string Reason) {
  if (FPid <= 0) return;
  close(FFd);
  FFd = -1;
  int status = 0;
  bool reaped = false;
  if (Reason.empty()) {
    // The socket closed: the host is ending (or closed it and went on); its end says why.
    const auto until = TClock::now() + kExitGrace;
    while (!(reaped = waitpid(FPid, &status, WNOHANG) == FPid) && TClock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (!reaped) {
    kill(FPid, SIGKILL);
    waitpid(FPid, &status, 0);
  }
  FPid = -1;
  FStopped = Reason.empty() ? HostStoppedLine(status) : std::move(Reason);
}

TFrameworkHost::TClock::time_point TFrameworkHost::FileDeadline() {
  if (!FFileDeadline) FFileDeadline = TClock::now() + FLimits.File;
  return *FFileDeadline;
}

void TFrameworkHost::BeginFile() {
  std::lock_guard lock(FLock);
  // The steps of a rendering the last file did not wait for would reach this one.
  if (FRunOpen) Stop("The last file's rendering was not finished");
  FRunOpen = false;
  FRun = {};
  FStopped.clear();
  FFileDeadline.reset();
  if (FPid > 0) Send(TFrame(TKind::BeginFile));
}

void TFrameworkHost::Prepare(const std::string& FileName) {
  std::lock_guard lock(FLock);
  if (Running()) Send(TFrame(TKind::Prepare).Put(FileName));
}

void TFrameworkHost::Start() {
  std::lock_guard lock(FLock);
  if (!Running() || !Send(TFrame(TKind::Start))) return;
  TFrame ready;
  Receive(ready, TClock::now() + FLimits.File, FLimits.File);
}

TFilterInstall TFrameworkHost::FilterInstall(const std::string& ClsidText) {
  std::lock_guard lock(FLock);
  TFrame answer;
  TFilterInstall install;
  if (!Running() || !Send(TFrame(TKind::Installed).Put(ClsidText))) return {};
  const std::chrono::milliseconds bound = FAnswered ? FLimits.Call : FLimits.File;
  if (!Receive(answer, TClock::now() + bound, bound) || answer.Kind() != TKind::Install ||
      !GetInstall(answer, install))
    return {};
  return install;
}

void TFrameworkHost::EndSection(TLogWriter& W, const char* Title, bool Titled) {
  if (!Titled) W.WriteTitle(Title);
  W.WriteLine("<font color=\"#DD0000\">" + FStopped + "</font>");
  W.WriteSeparator();
}

bool TFrameworkHost::Ask(TKind Kind, const std::string& FileName) {
  return Running() && Send(TFrame(Kind).Put(FileName));
}

TRenderFileCheck TFrameworkHost::CheckRenderFile(const std::string& FileName) {
  std::lock_guard lock(FLock);
  TRenderFileCheck check;
  TFrame frame;
  FRun = {};
  FRunOpen = Ask(TKind::Check, FileName);
  if (FRunOpen && Receive(frame, FileDeadline(), FLimits.File)) {
    if (frame.Kind() == TKind::Checked && GetCheck(frame, check)) return check;
    Stop(kUnreadable);
  }
  TRenderFileCheck stopped;
  stopped.Stopped = FStopped;
  return stopped;
}

TRenderRun TFrameworkHost::RenderDetailed(const std::string& FileName) {
  std::lock_guard lock(FLock);
  TFrame frame;
  if (Ask(TKind::Detailed, FileName) && Receive(frame, FileDeadline(), FLimits.File) && frame.Kind() != TKind::Done)
    Stop(kUnreadable);
  FRunOpen = false;
  TRenderRun run = std::exchange(FRun, {});
  run.Stopped = FStopped;
  return run;
}

void TFrameworkHost::WriteFilterLists(TLogWriter& W) {
  std::lock_guard lock(FLock);
  bool titled = false;
  if (Running() && Send(TFrame(TKind::Filters))) {
    TFrame frame;
    while (Receive(frame, FileDeadline(), FLimits.File)) {
      if (frame.Kind() == TKind::Done) return;
      TWriterCall call{};
      if (!ReplayWrite(frame, W, call)) {
        Stop(kUnreadable);
        break;
      }
      titled = titled || call == TWriterCall::Title;
    }
  }
  EndSection(W, kFiltersTitle, titled);
}

}  // namespace ambrel::host
