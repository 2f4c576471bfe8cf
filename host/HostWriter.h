// Report writer calls across the host boundary: the host's sections write into a
// TSendingWriter, which sends each call as a Write frame; the analysis replays them into
// its own writer, so its bytes are those the sections would have written there.
#pragma once

#include <functional>

#include "host/HostProtocol.h"
#include "report/LogWriter.h"

namespace ambrel::host {

class TSendingWriter final : public TCallWriter {
 public:
  using TSend = std::function<void(const TFrame&)>;
  explicit TSendingWriter(const TSend& Send) : FSend(Send) {}

 private:
  void Take(TWriterCall Call, const std::string& A, const std::string& B) override;
  const TSend& FSend;
};

// Replays a Write frame into W, and says which call it was in Call; false for a frame
// that is no writer call.
bool ReplayWrite(TFrame& Frame, TLogWriter& W, TWriterCall& Call);

}  // namespace ambrel::host
