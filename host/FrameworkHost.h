// The analysis's side of a framework host process: the framework sections, answered by a
// host process it starts (ambrel-framework-host), so that a crash or a stall inside the
// framework costs the analysis only the rendering sections.
//
// - The host is started at the first question (normally the file's announcement, so that
//   the framework starts while the file is parsed) and kept for the next files until it
//   fails; the file after a failure gets a fresh one.
// - Every wait for the host is bounded: each question (a filter's installed state) by
//   Limits.Call (by Limits.File while the host's framework may still be starting), the
//   start and the rendering sections of a file together each by Limits.File. A host that
//   dies or passes a bound is killed; the results it was giving say why in their Stopped
//   (the sections keep their titles and end with a red line saying so), and the questions
//   left of that file get no framework's answers (a filter's installed state is unknown).
// - What one file may receive is capped (Limits.FileBytes, Limits.FileSteps): a host past
//   it is stopped as well.
// - A host that says it must not serve another file (something of the file still running
//   in it, a time-out inside the framework, a refused thread) is retired after the file.
// - The host's standard error is kept from this process's: its last lines are kept for
//   the stop line of a host that ended on its own, the rest is dropped.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

#include <chrono>
#include <mutex>
#include <optional>
#include <string>

#include "dshow/FrameworkSections.h"
#include "host/HostProtocol.h"

namespace ambrel::host {

struct THostLimits {
  std::chrono::milliseconds Call{10000};
  std::chrono::milliseconds File{30000};
  // What the host may send for one file: its bytes (frame lengths included) and the
  // detailed rendering's steps.
  uint64_t FileBytes = uint64_t{32} << 20;
  size_t FileSteps = 100000;
};

class TFrameworkHost final : public IFrameworkSections {
 public:
  // HostPath: the host program. World: a scripted world's JSON, answered in the host
  // instead of the platform's framework.
  TFrameworkHost(std::string HostPath, std::optional<std::string> World, THostLimits Limits = {});
  ~TFrameworkHost() override;
  TFrameworkHost(const TFrameworkHost&) = delete;
  TFrameworkHost& operator=(const TFrameworkHost&) = delete;

  void BeginFile() override;
  void Prepare(const std::string& FileName) override;
  void Start() override;
  TFilterInstall FilterInstall(const std::string& ClsidText) override;
  TRenderFileCheck CheckRenderFile(const std::string& FileName) override;
  TRenderRun RenderDetailed(const std::string& FileName) override;
  void WriteFilterLists(TLogWriter& W) override;

  // The host's process id while one runs, else -1.
  pid_t HostPid() const { return FPid; }

 private:
  using TClock = std::chrono::steady_clock;

  // Starts the host when none runs and this file's has not failed; false when none runs.
  bool Running();
  // Sends a question; false (the host then stopped) when it cannot be sent.
  bool Send(const TFrame& Frame);
  // The next frame of the host's answer, waited for until Deadline; false when the host
  // stopped (said in FStopped). The detailed rendering's steps, which the host sends as
  // they are made, go to FRun on the way.
  bool Receive(TFrame& Frame, TClock::time_point Deadline, std::chrono::milliseconds Bound);
  // Ends the host: Reason says why, or (empty) its exit is read for it.
  void Stop(std::string Reason);
  // Ends the host, without a word when it is only retired; its wait status.
  int End(bool Killed);
  // Reads what the host wrote on its standard error, keeping the last lines; false once
  // nothing more can come.
  bool ReadChatter();
  TClock::time_point FileDeadline();
  // Writes a section the host did not finish: its title unless Titled, the stop line and
  // the separator.
  void EndSection(TLogWriter& W, const char* Title, bool Titled);
  // Sends a rendering question about FileName; false (said in FStopped) when the host
  // cannot take it.
  bool Ask(TKind Kind, const std::string& FileName);

  std::string FHostPath;
  std::optional<std::string> FWorld;
  THostLimits FLimits;
  std::mutex FLock;  // one exchange with the host at a time
  pid_t FPid = -1;
  int FFd = -1;
  int FErrFd = -1;       // the host's standard error
  std::string FChatter;  // its last lines, this file's
  TFrameReader FReader;
  std::string FStopped;  // why this file's host stopped; empty while it answers
  std::optional<TClock::time_point> FFileDeadline;
  bool FAnswered = false;  // the running host has answered (so its framework has started)
  TRenderRun FRun;         // this file's detailed rendering: the steps received so far
  bool FRunOpen = false;   // the rendering was begun and its end is not yet received
};

// The host program: beside the executable (a build tree), else in the installed library
// folder beside the media module; empty when neither holds it.
std::string FindHostProgram();

// The stop line of a host that ended with wait status Status; Said, when not empty, the
// last line it wrote on its standard error.
std::string HostStoppedLine(int Status, const std::string& Said = {});

// Where the host program is looked for first (beside the executable), for a program that
// finds none, and the stop line saying it could not be started from there.
std::string MissingHostPath();
std::string MissingHostLine();

}  // namespace ambrel::host
