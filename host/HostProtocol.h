// The framed messages between an analysis and its framework host process, over a stream
// socket: a 4-byte little-endian length, then that many bytes: a 1-byte kind and its
// fields (texts as a 4-byte length and their bytes, numbers as 4 bytes, little-endian).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ambrel::host {

enum class TKind : uint8_t {
  // To the host.
  Platform = 'G',   // answer with the platform's framework
  World = 'W',      // text: answer with this scripted world
  BeginFile = 'B',  // a file's analysis begins
  Prepare = 'P',    // text: the file whose rendering sections follow
  Start = 'S',      // answered by Ready once the framework has started
  Installed = 'I',  // text: a class id; answered by Install
  Check = 'C',      // text: the file; answered by Checked
  Detailed = 'D',   // text: the file; answered by Steps, then Done with the file's own
                    // failure (text) and whether the host must be retired (byte 1)
  Filters = 'F',    // answered by Writes (the filter lists), then Done
  // From the host.
  Ready = 'r',
  Install = 'i',    // where a filter is installed (RenderResultsWire.h)
  Write = 'w',      // a writer call: its operation (1 byte), then one or two texts
  Checked = 'c',    // the RenderFile check's results (RenderResultsWire.h)
  Step = 's',       // a step of the detailed rendering (RenderResultsWire.h)
  Done = 'd',
};

// Frames larger than this are refused: a host never sends one that large.
inline constexpr uint32_t kMaxFrame = 64u << 20;

class TFrame {
 public:
  explicit TFrame(TKind Kind = TKind::Done) : FKind(Kind) {}
  TKind Kind() const { return FKind; }

  TFrame& Put(std::string_view Text);
  TFrame& PutNumber(uint32_t Value);
  TFrame& PutByte(uint8_t Value);
  // Reading, in the order put: false when the frame holds no more.
  bool Get(std::string& Text);
  bool GetNumber(uint32_t& Value);
  bool GetByte(uint8_t& Value);

  // The bytes on the wire, and the frame of a kind and body read from them.
  std::string Encode() const;
  static TFrame Decode(std::string_view Body);

 private:
  TKind FKind;
  std::string FFields;
  size_t FRead = 0;
};

// Writes a whole frame to a socket; false when the peer is gone.
bool SendFrame(int Fd, const TFrame& Frame);

// TooMuch: the next frame would pass the reader's allowance.
enum class TReadResult { Frame, Closed, TimedOut, TooMuch };

// Reads frames from a socket, buffered.
class TFrameReader {
 public:
  explicit TFrameReader(int Fd = -1) : FFd(Fd) {}
  // The next frame, waiting until Deadline (none: without a limit). Closed also for a
  // frame that cannot be read (too large, a read error).
  TReadResult Read(TFrame& Frame, std::optional<std::chrono::steady_clock::time_point> Deadline = std::nullopt);
  // The bytes the frames read from now on may take in all, their lengths included: a
  // frame that would pass them is not read (TooMuch), nor buffered beyond its length.
  void Allow(uint64_t Bytes) { FAllowance = Bytes; }
  // While a read waits, Drain is called whenever Side is readable; it answers false once
  // Side has ended, which is then no longer watched.
  void Watch(int Side, std::function<bool()> Drain) {
    FSide = Side;
    FDrain = std::move(Drain);
  }

 private:
  int FFd;
  std::string FBuffer;
  uint64_t FAllowance = UINT64_MAX;
  int FSide = -1;
  std::function<bool()> FDrain;
};

}  // namespace ambrel::host
