// A stand-in for ambrel-framework-host, for the tests of the analysis's side: it answers
// the questions on descriptor 3 with empty results, and misbehaves as AMBREL_FAKE_HOST
// says (items separated by commas):
// - "record=PATH": appends each question to PATH (its kind and text, one a line), and
//   "started" when it starts;
// - "retire=TEXT": ends each detailed rendering saying it must be retired, with TEXT as
//   the file's own failure;
// - "flood": answers the RenderFile check with steps of 8 MiB each, without end;
// - "steps": answers it with small steps, without end;
// - "mute": answers nothing;
// - "chatter": writes lines on its standard error, then aborts at the RenderFile check
//   after saying why.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>

#include "host/HostProtocol.h"
#include "host/RenderResultsWire.h"

using namespace ambrel;
using namespace ambrel::host;

int main() {
  // Its items, separated by commas: "key" or "key=value".
  std::map<std::string, std::string> items;
  const char* env = std::getenv("AMBREL_FAKE_HOST");
  std::istringstream list(env ? env : "");
  for (std::string item; std::getline(list, item, ',');) {
    const size_t equals = item.find('=');
    items[item.substr(0, equals)] = equals == std::string::npos ? "" : item.substr(equals + 1);
  }
  const auto has = [&](const char* Key) { return items.count(Key) != 0; };
  FILE* record = has("record") ? std::fopen(items["record"].c_str(), "a") : nullptr;
  if (record) std::fprintf(record, "started\n");
  if (has("chatter"))
    for (int i = 0; i < 2000; ++i) std::fprintf(stderr, "GStreamer-WARNING **: chatter %d\n", i);
  constexpr int kFd = 3;
  TFrameReader reader(kFd);
  TFrame frame;
  while (reader.Read(frame) == TReadResult::Frame) {
    std::string text;
    frame.Get(text);
    if (record) {
      std::fprintf(record, "%c%s\n", static_cast<char>(frame.Kind()), text.c_str());
      std::fflush(record);
    }
    if (has("mute")) continue;
    switch (frame.Kind()) {
      case TKind::Start:
        SendFrame(kFd, TFrame(TKind::Ready));
        break;
      case TKind::Installed: {
        TFrame install(TKind::Install);
        PutInstall(install, {});
        SendFrame(kFd, install);
        break;
      }
      case TKind::Check: {
        if (has("chatter")) {
          std::fprintf(stderr, "the plugin gave up\n");
          std::abort();
        }
        TRenderStep step(TRenderStepKind::Start);
        step.File = has("flood") ? std::string(8 << 20, 'x') : text;
        TFrame stepFrame(TKind::Step);
        PutStep(stepFrame, step);
        while ((has("flood") || has("steps")) && SendFrame(kFd, stepFrame)) {
        }
        TFrame checked(TKind::Checked);
        PutCheck(checked, {});
        SendFrame(kFd, checked);
        break;
      }
      case TKind::Detailed: {
        TFrame done(TKind::Done);
        if (has("retire")) done.Put(items["retire"]).PutByte(1);
        SendFrame(kFd, done);
        break;
      }
      case TKind::Filters:
        SendFrame(kFd, TFrame(TKind::Done));
        break;
      default:
        break;
    }
  }
  return 0;
}
