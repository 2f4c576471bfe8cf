// Report writer calls across the host boundary: the host's sections write into a
// TSendingWriter, which sends each call as a Write frame; the analysis replays them into
// its own writer, so its bytes are those the sections would have written there.
#pragma once

#include "media/host/HostProtocol.h"
#include "report/LogWriter.h"

namespace ambrel::host {

class TSendingWriter final : public TLogWriter {
 public:
  explicit TSendingWriter(int Fd) : FFd(Fd) {}

  void WriteTitle(const std::string& Title) override;
  void WriteSeparator() override;
  void WriteLine(const std::string& Text) override;
  void WriteRaw(const std::string& Text) override;
  void WriteField(const std::string& Name, const std::string& Value) override;
  void BeginList() override;
  void WriteListItem(const std::string& Text) override;
  void WriteListField(const std::string& Name, const std::string& Value) override;
  void EndList() override;

 private:
  void Send(uint8_t Op, std::initializer_list<std::string_view> Texts);
  int FFd;
};

// The writer calls that open and close a section.
inline constexpr uint8_t kTitleCall = 0;
inline constexpr uint8_t kSeparatorCall = 1;

// Replays a Write frame into W, and says which call it was in Op; false for a frame that
// is no writer call.
bool ReplayWrite(TFrame& Frame, TLogWriter& W, uint8_t& Op);

}  // namespace ambrel::host
