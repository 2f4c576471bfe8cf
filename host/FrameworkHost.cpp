#include "host/FrameworkHost.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>
#include <thread>
#include <utility>

#include "base/Verbatim.h"
#include "io/Executable.h"
#include "host/HostWriter.h"
#include "host/RenderResultsWire.h"

extern char** environ;

namespace ambrel::host {

namespace {

// How long a host whose socket has closed is given to be seen ending before it is killed.
constexpr auto kExitGrace = std::chrono::milliseconds(1000);

constexpr char kHostProgram[] = "ambrel-framework-host";

constexpr char kUnreadable[] = "The media framework's answer could not be read";

std::string Seconds(std::chrono::milliseconds Bound) {
  if (Bound.count() < 1000) return std::to_string(Bound.count()) + " ms";
  const auto tenths = (Bound.count() + 50) / 100;
  return std::to_string(tenths / 10) + (tenths % 10 ? "." + std::to_string(tenths % 10) : "") + " s";
}

// How much of the host's standard error is kept, at most.
constexpr size_t kChatterKept = 4096;

// Starts the host program with Socket as its descriptor 3, Chatter (a pipe) as its
// standard error, nothing else of this process's descriptors (they are close-on-exec, or
// closed by the host), and standard input and output on /dev/null. The error number when
// it cannot be started, else 0.
int SpawnHost(const std::string& Path, int Socket, int Chatter, pid_t& Pid) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, Socket, 3);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  if (Chatter >= 0)
    posix_spawn_file_actions_adddup2(&actions, Chatter, 2);
  else
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const std::string parent = std::to_string(getpid());
  char* const argv[] = {const_cast<char*>(Path.c_str()), const_cast<char*>("--parent"),
                        const_cast<char*>(parent.c_str()), nullptr};
  const int failed = posix_spawn(&Pid, Path.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  return failed;
}

// A descriptor of this process's above the standard ones: a child's descriptors 0 to 3
// are set by the spawn, which would keep one of them that is already in place open
// across the exec only by chance.
int AboveThree(int Fd) {
  if (Fd > 3) return Fd;
  const int moved = fcntl(Fd, F_DUPFD_CLOEXEC, 4);
  close(Fd);
  return moved;
}

std::string Exceeded(const char* What) { return std::string("The media framework sent more than ") + What + " for this file"; }

std::string StartFailure(const std::string& Path, int Error) {
  return "The media framework host program could not be started: " + Path + ": " + std::strerror(Error);
}

}  // namespace

std::string FindHostProgram() {
  for (const std::string& dir : platform::ModuleDirectories()) {
    const std::string path = dir + kHostProgram;
    if (access(path.c_str(), X_OK) == 0) return path;
  }
  return {};
}

std::string MissingHostPath() {
  const std::vector<std::string> dirs = platform::ModuleDirectories();
  return (dirs.empty() ? std::string() : dirs.front()) + kHostProgram;
}

std::string MissingHostLine() { return StartFailure(MissingHostPath(), ENOENT); }

std::string HostStoppedLine(int Status, const std::string& Said) {
  std::string why;
  if (WIFSIGNALED(Status)) {
    const int sig = WTERMSIG(Status);
    const char* abbrev = sigabbrev_np(sig);
    why = abbrev ? std::string("SIG") + abbrev : "signal " + std::to_string(sig);
    if (const char* text = strsignal(sig)) why += std::string(" (") + text + ")";
  } else {
    why = "exit status " + std::to_string(WIFEXITED(Status) ? WEXITSTATUS(Status) : Status);
  }
  if (!Said.empty()) why += ", saying: " + Said;
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
  close(FErrFd);
  kill(FPid, SIGKILL);
  try {
    std::thread([pid = FPid] { waitpid(pid, nullptr, 0); }).detach();
  } catch (const std::system_error&) {
    waitpid(FPid, nullptr, 0);
  }
}

bool TFrameworkHost::Running() {
  if (FPid > 0) return true;
  if (!FStopped.empty()) return false;
  int sockets[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) {
    FStopped = "The media framework could not be started: " + std::string(std::strerror(errno));
    return false;
  }
  // The host's standard error: it never waits for this side to read (its lines are dropped
  // once the pipe is full), which reads it while it waits for an answer.
  int chatter[2] = {-1, -1};
  if (pipe2(chatter, O_CLOEXEC | O_NONBLOCK) == 0) {
    fcntl(chatter[0], F_SETPIPE_SZ, 1 << 20);
    chatter[1] = AboveThree(chatter[1]);
  }
  const int theirs = AboveThree(sockets[1]);
  const int error = theirs < 0 ? errno : SpawnHost(FHostPath, theirs, chatter[1], FPid);
  close(theirs);
  if (chatter[1] >= 0) close(chatter[1]);
  if (error) {
    close(sockets[0]);
    if (chatter[0] >= 0) close(chatter[0]);
    FPid = -1;
    FStopped = StartFailure(FHostPath, error);
    return false;
  }
  FFd = sockets[0];
  FErrFd = chatter[0];
  FChatter.clear();
  // A host that stops reading cannot hold a question up either.
  const timeval sendLimit{static_cast<time_t>(FLimits.Call.count() / 1000),
                          static_cast<suseconds_t>(FLimits.Call.count() % 1000 * 1000)};
  setsockopt(FFd, SOL_SOCKET, SO_SNDTIMEO, &sendLimit, sizeof sendLimit);
  FReader = TFrameReader(FFd);
  FReader.Allow(FLimits.FileBytes);
  if (FErrFd >= 0) FReader.Watch(FErrFd, [this] { return ReadChatter(); });
  FAnswered = false;
  TFrame first(FWorld ? TKind::World : TKind::Platform);
  if (FWorld) first.Put(*FWorld);
  return Send(first);
}

bool TFrameworkHost::ReadChatter() {
  char chunk[4096];
  for (;;) {
    const ssize_t n = read(FErrFd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
    if (n <= 0) return false;
    FChatter.append(chunk, static_cast<size_t>(n));
    if (FChatter.size() > 2 * kChatterKept) FChatter.erase(0, FChatter.size() - kChatterKept);
  }
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
        if (FRun.Steps.size() >= FLimits.FileSteps) {
          Stop(Exceeded((std::to_string(FLimits.FileSteps) + " steps").c_str()));
          return false;
        }
        if (GetStep(Frame, FRun)) continue;
        Stop(kUnreadable);
        return false;
      case TReadResult::TimedOut:
        Stop("The media framework did not answer within " + Seconds(Bound));
        return false;
      case TReadResult::TooMuch:
        Stop(Exceeded((std::to_string(FLimits.FileBytes >> 20) + " MiB").c_str()));
        return false;
      case TReadResult::Closed:
        Stop({});
        return false;
    }
  }
}

int TFrameworkHost::End(bool Killed) {
  close(FFd);
  FFd = -1;
  int status = 0;
  bool reaped = false;
  if (!Killed) {
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
  // Everything it wrote is in the pipe now.
  if (FErrFd >= 0) {
    ReadChatter();
    close(FErrFd);
    FErrFd = -1;
  }
  return status;
}

void TFrameworkHost::Stop(std::string Reason) {
  if (FPid <= 0) return;
  const int status = End(!Reason.empty());
  if (!Reason.empty()) {
    FStopped = std::move(Reason);
    return;
  }
  // The last line the host wrote, which tells what ended it where it did say (an abort's
  // reason, say).
  std::string said = FChatter;
  while (!said.empty() && (said.back() == '\n' || said.back() == '\r' || said.back() == ' ')) said.pop_back();
  said.erase(0, said.find_last_of('\n') + 1);
  if (said.size() > 300) said.resize(300);
  FStopped = HostStoppedLine(status, said);
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
  if (FPid <= 0) return;
  // What the host said before is not this file's.
  if (FErrFd >= 0) ReadChatter();
  FChatter.clear();
  FReader.Allow(FLimits.FileBytes);
  Send(TFrame(TKind::BeginFile));
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
  TFilterInstall unknown;
  unknown.Answered = false;
  if (!Running() || !Send(TFrame(TKind::Installed).Put(ClsidText))) return unknown;
  const std::chrono::milliseconds bound = FAnswered ? FLimits.Call : FLimits.File;
  if (!Receive(answer, TClock::now() + bound, bound)) return unknown;
  if (answer.Kind() != TKind::Install || !GetInstall(answer, install)) {
    Stop(kUnreadable);
    return unknown;
  }
  return install;
}

void TFrameworkHost::EndSection(TLogWriter& W, const char* Title, bool Titled) {
  if (!Titled) W.WriteTitle(Title);
  W.WriteLine("<font color=\"#DD0000\">" + Verbatim(FStopped) + "</font>");
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
  if (Ask(TKind::Detailed, FileName) && Receive(frame, FileDeadline(), FLimits.File)) {
    // The end of the rendering says whether the host may serve another file, and a
    // failure of this file's own it saw (a thread the system refused).
    std::string failure;
    uint8_t retire = 0;
    if (frame.Kind() != TKind::Done) {
      Stop(kUnreadable);
    } else if (frame.Get(failure) && frame.GetByte(retire) && (retire || !failure.empty())) {
      End(true);
      FStopped = failure;
    }
  }
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
