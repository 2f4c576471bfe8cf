#include "host/RenderResultsWire.h"

namespace ambrel::host {

namespace {

void PutName(TFrame& Frame, const TShownName& Name) {
  Frame.PutByte(Name ? 1 : 0);
  if (Name) Frame.Put(*Name);
}

bool GetName(TFrame& Frame, TShownName& Name) {
  uint8_t present = 0;
  if (!Frame.GetByte(present)) return false;
  if (!present) {
    Name.reset();
    return true;
  }
  Name.emplace();
  return Frame.Get(*Name);
}

void PutTexts(TFrame& Frame, const std::vector<std::string>& Texts) {
  Frame.PutNumber(static_cast<uint32_t>(Texts.size()));
  for (const std::string& text : Texts) Frame.Put(text);
}

bool GetCount(TFrame& Frame, uint32_t& Count) {
  // Every item takes at least one byte: a count beyond the frame's limit is no count.
  return Frame.GetNumber(Count) && Count <= kMaxFrame;
}

void PutUint64(TFrame& Frame, uint64_t Value) {
  Frame.PutNumber(static_cast<uint32_t>(Value >> 32)).PutNumber(static_cast<uint32_t>(Value));
}

bool GetUint64(TFrame& Frame, uint64_t& Value) {
  uint32_t high = 0, low = 0;
  if (!Frame.GetNumber(high) || !Frame.GetNumber(low)) return false;
  Value = uint64_t{high} << 32 | low;
  return true;
}

// What the framework said of each stream (the analysis matches them with the file's tracks).
void PutStreams(TFrame& Frame, const media::TRenderFileStreams& Streams) {
  Frame.PutByte(Streams.Told ? 1 : 0).PutByte(Streams.Complete ? 1 : 0);
  Frame.PutNumber(static_cast<uint32_t>(Streams.Streams.size()));
  for (const media::TStreamPlayback& s : Streams.Streams) {
    PutUint64(Frame, s.TrackNumber);
    PutUint64(Frame, s.TrackUid);
    Frame.PutByte(s.TrackType).PutByte(static_cast<uint8_t>(s.Fate));
    Frame.Put(s.Element).Put(s.ElementName).Put(s.Package).Put(s.Detail).Put(s.MissingDecoder);
  }
  PutTexts(Frame, Streams.Missing);
}

bool GetStreams(TFrame& Frame, media::TRenderFileStreams& Streams) {
  uint8_t told = 0, complete = 0;
  uint32_t count = 0;
  if (!Frame.GetByte(told) || !Frame.GetByte(complete) || !GetCount(Frame, count)) return false;
  Streams.Told = told != 0;
  Streams.Complete = complete != 0;
  for (uint32_t i = 0; i < count; ++i) {
    media::TStreamPlayback s;
    uint8_t fate = 0;
    if (!GetUint64(Frame, s.TrackNumber) || !GetUint64(Frame, s.TrackUid) || !Frame.GetByte(s.TrackType) ||
        !Frame.GetByte(fate) || fate > static_cast<uint8_t>(media::TStreamFate::NoFilter) || !Frame.Get(s.Element) ||
        !Frame.Get(s.ElementName) || !Frame.Get(s.Package) || !Frame.Get(s.Detail) || !Frame.Get(s.MissingDecoder))
      return false;
    s.Fate = static_cast<media::TStreamFate>(fate);
    Streams.Streams.push_back(std::move(s));
  }
  if (!GetCount(Frame, count)) return false;
  for (uint32_t i = 0; i < count; ++i) {
    std::string text;
    if (!Frame.Get(text)) return false;
    Streams.Missing.push_back(std::move(text));
  }
  return true;
}

}  // namespace

void PutInstall(TFrame& Frame, const TFilterInstall& Install) {
  std::string server;
  server.reserve(Install.Server.size() * 2);
  for (const char16_t unit : Install.Server) {
    server += static_cast<char>(unit & 0xFF);
    server += static_cast<char>(unit >> 8);
  }
  Frame.PutByte(Install.Installed ? 1 : 0).Put(server).Put(Install.Version);
}

bool GetInstall(TFrame& Frame, TFilterInstall& Install) {
  uint8_t installed = 0;
  std::string server;
  if (!Frame.GetByte(installed) || !Frame.Get(server) || server.size() % 2 != 0 || !Frame.Get(Install.Version))
    return false;
  Install.Installed = installed != 0;
  Install.Server.clear();
  for (size_t i = 0; i < server.size(); i += 2) {
    Install.Server += static_cast<char16_t>(static_cast<unsigned char>(server[i]) |
                                            static_cast<unsigned char>(server[i + 1]) << 8);
  }
  return true;
}

void PutCheck(TFrame& Frame, const TRenderFileCheck& Check) {
  Frame.Put(Check.Framework);
  Frame.PutNumber(static_cast<uint32_t>(Check.Splitters.size()));
  for (const TSplitterCheck& s : Check.Splitters) Frame.Put(s.Name).Put(s.Installed).PutByte(s.Creatable ? 1 : 0);
  Frame.PutNumber(static_cast<uint32_t>(Check.Result)).Put(Check.ResultText);
  Frame.PutNumber(static_cast<uint32_t>(Check.Notes.size()));
  for (const auto& [label, text] : Check.Notes) Frame.Put(label).Put(text);
  PutStreams(Frame, Check.Streams);
}

bool GetCheck(TFrame& Frame, TRenderFileCheck& Check) {
  uint32_t count = 0;
  if (!Frame.Get(Check.Framework) || !GetCount(Frame, count)) return false;
  for (uint32_t i = 0; i < count; ++i) {
    TSplitterCheck s;
    uint8_t creatable = 0;
    if (!Frame.Get(s.Name) || !Frame.Get(s.Installed) || !Frame.GetByte(creatable)) return false;
    s.Creatable = creatable != 0;
    Check.Splitters.push_back(std::move(s));
  }
  uint32_t hr = 0;
  if (!Frame.GetNumber(hr) || !Frame.Get(Check.ResultText) || !GetCount(Frame, count)) return false;
  Check.Result = static_cast<media::HRESULT>(hr);
  for (uint32_t i = 0; i < count; ++i) {
    std::pair<std::string, std::string> note;
    if (!Frame.Get(note.first) || !Frame.Get(note.second)) return false;
    Check.Notes.push_back(std::move(note));
  }
  return GetStreams(Frame, Check.Streams);
}

void PutStep(TFrame& Frame, const TRenderStep& Step) {
  Frame.PutByte(static_cast<uint8_t>(Step.Kind)).PutNumber(Step.Elapsed).PutNumber(static_cast<uint32_t>(Step.Result));
  Frame.Put(Step.ResultText).Put(Step.File);
  Frame.PutNumber(static_cast<uint32_t>(Step.Path.size()));
  for (const TPathHop& hop : Step.Path) {
    PutName(Frame, hop.Filter);
    PutName(Frame, hop.Pin);
  }
  PutName(Frame, Step.Filter);
  PutName(Frame, Step.Pin);
  PutName(Frame, Step.Joined.Name);
  Frame.PutByte(Step.Joined.Given ? 1 : 0).Put(Step.Joined.Suffix);
  PutTexts(Frame, Step.Names);
}

bool GetStep(TFrame& Frame, TRenderRun& Run) {
  uint8_t kind = 0;
  uint32_t result = 0;
  uint32_t count = 0;
  if (!Frame.GetByte(kind) || kind > static_cast<uint8_t>(TRenderStepKind::Finished)) return false;
  TRenderStep step(static_cast<TRenderStepKind>(kind));
  if (!Frame.GetNumber(step.Elapsed) || !Frame.GetNumber(result) || !Frame.Get(step.ResultText) ||
      !Frame.Get(step.File) || !GetCount(Frame, count))
    return false;
  step.Result = static_cast<media::HRESULT>(result);
  for (uint32_t i = 0; i < count; ++i) {
    TPathHop hop;
    if (!GetName(Frame, hop.Filter) || !GetName(Frame, hop.Pin)) return false;
    step.Path.push_back(std::move(hop));
  }
  uint8_t given = 0;
  if (!GetName(Frame, step.Filter) || !GetName(Frame, step.Pin) || !GetName(Frame, step.Joined.Name) ||
      !Frame.GetByte(given) || !Frame.Get(step.Joined.Suffix) || !GetCount(Frame, count))
    return false;
  step.Joined.Given = given != 0;
  for (uint32_t i = 0; i < count; ++i) {
    std::string name;
    if (!Frame.Get(name)) return false;
    step.Names.push_back(std::move(name));
  }
  Run.Steps.push_back(std::move(step));
  return true;
}

}  // namespace ambrel::host
