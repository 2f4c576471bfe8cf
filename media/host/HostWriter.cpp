#include "media/host/HostWriter.h"

#include <iterator>

namespace ambrel::host {

namespace {

// The writer calls by operation number, with how many texts each takes.
struct TWriterCall {
  int Texts;
  void (*Replay)(TLogWriter& W, const std::string& A, const std::string& B);
};

const TWriterCall kCalls[] = {
    {1, [](TLogWriter& W, const std::string& A, const std::string&) { W.WriteTitle(A); }},
    {0, [](TLogWriter& W, const std::string&, const std::string&) { W.WriteSeparator(); }},
    {1, [](TLogWriter& W, const std::string& A, const std::string&) { W.WriteLine(A); }},
    {1, [](TLogWriter& W, const std::string& A, const std::string&) { W.WriteRaw(A); }},
    {2, [](TLogWriter& W, const std::string& A, const std::string& B) { W.WriteField(A, B); }},
    {0, [](TLogWriter& W, const std::string&, const std::string&) { W.BeginList(); }},
    {1, [](TLogWriter& W, const std::string& A, const std::string&) { W.WriteListItem(A); }},
    {2, [](TLogWriter& W, const std::string& A, const std::string& B) { W.WriteListField(A, B); }},
    {0, [](TLogWriter& W, const std::string&, const std::string&) { W.EndList(); }},
};

enum : uint8_t { kTitle = kTitleCall, kSeparator = kSeparatorCall, kLine, kRaw, kField, kBeginList, kListItem, kListField, kEndList };

}  // namespace

void TSendingWriter::Send(uint8_t Op, std::initializer_list<std::string_view> Texts) {
  TFrame frame(TKind::Write);
  frame.PutByte(Op);
  for (std::string_view text : Texts) frame.Put(text);
  SendFrame(FFd, frame);
}

void TSendingWriter::WriteTitle(const std::string& Title) { Send(kTitle, {Title}); }
void TSendingWriter::WriteSeparator() { Send(kSeparator, {}); }
void TSendingWriter::WriteLine(const std::string& Text) { Send(kLine, {Text}); }
void TSendingWriter::WriteRaw(const std::string& Text) { Send(kRaw, {Text}); }
void TSendingWriter::WriteField(const std::string& Name, const std::string& Value) { Send(kField, {Name, Value}); }
void TSendingWriter::BeginList() { Send(kBeginList, {}); }
void TSendingWriter::WriteListItem(const std::string& Text) { Send(kListItem, {Text}); }
void TSendingWriter::WriteListField(const std::string& Name, const std::string& Value) {
  Send(kListField, {Name, Value});
}
void TSendingWriter::EndList() { Send(kEndList, {}); }

bool ReplayWrite(TFrame& Frame, TLogWriter& W, uint8_t& Op) {
  uint8_t& op = Op;
  if (Frame.Kind() != TKind::Write || !Frame.GetByte(op) || op >= std::size(kCalls)) return false;
  std::string a, b;
  const TWriterCall& call = kCalls[op];
  if ((call.Texts >= 1 && !Frame.Get(a)) || (call.Texts >= 2 && !Frame.Get(b))) return false;
  call.Replay(W, a, b);
  return true;
}

}  // namespace ambrel::host
