#include "host/HostWriter.h"

namespace ambrel::host {

void TSendingWriter::Take(TWriterCall Call, const std::string& A, const std::string& B) {
  TFrame frame(TKind::Write);
  frame.PutByte(static_cast<uint8_t>(Call));
  const int texts = WriterCallTexts(Call);
  if (texts >= 1) frame.Put(A);
  if (texts >= 2) frame.Put(B);
  FSend(frame);
}

bool ReplayWrite(TFrame& Frame, TLogWriter& W, TWriterCall& Call) {
  uint8_t op = 0;
  if (Frame.Kind() != TKind::Write || !Frame.GetByte(op) || op >= kWriterCallCount) return false;
  Call = static_cast<TWriterCall>(op);
  std::string a, b;
  const int texts = WriterCallTexts(Call);
  if ((texts >= 1 && !Frame.Get(a)) || (texts >= 2 && !Frame.Get(b))) return false;
  ReplayCall(W, Call, a, b);
  return true;
}

}  // namespace ambrel::host
