// Byte-by-byte reading for one loader, shared by every construct of the parser.
#pragma once

#include <string>
#include <string_view>

#include "xml/SimpleXml.h"

namespace ambrel {

// Reads the stream's bytes one at a time, moving the stream's position with it, so
// the position always names the first byte not consumed. For the load-progress event
// it counts the data in 8192-byte chunks, starting a fresh chunk whenever the loader
// resumes after a nested construct.
class TXmlCursor {
 public:
  static constexpr size_t kChunkSize = 8192;

  TXmlCursor(TXmlReadStream& stream, TSimpleXml* document) : FStream(stream), FDocument(document) {}

  // Takes the byte at the position; false at the end of the data.
  bool Next(unsigned char& byte) {
    if (FDocument && FStream.Position() >= FChunkEnd) NextChunk();
    if (FStream.AtEnd()) return false;
    byte = FStream.Peek();
    FStream.SetPosition(FStream.Position() + 1);
    return true;
  }
  // Takes the bytes from the position while Keep(byte) holds, as that many calls of Next
  // would (the load-progress event included), and returns them.
  template <typename Keep>
  std::string_view TakeWhile(Keep keep) {
    const std::string_view data = FStream.Data();
    const size_t start = FStream.Position();
    if (start >= data.size()) return {};
    size_t end = start;
    while (end < data.size() && keep(static_cast<unsigned char>(data[end]))) ++end;
    if (FDocument) {
      for (size_t at = start; at < end; at = FChunkEnd < end ? FChunkEnd : end) {
        if (at < FChunkEnd) continue;
        FStream.SetPosition(at);
        NextChunk();
      }
    }
    FStream.SetPosition(end);
    return data.substr(start, end - start);
  }
  // Position of the byte last taken.
  size_t Last() const { return FStream.Position() - 1; }
  // The loader goes on after a nested construct, from the stream's position.
  void Resume() { FChunkEnd = 0; }

 private:
  void NextChunk() {
    FChunkEnd = FStream.Position() + kChunkSize;
    FDocument->NotifyLoadProgress(FChunkEnd < FStream.Size() ? FChunkEnd : FStream.Size(), FStream.Size());
  }

  TXmlReadStream& FStream;
  TSimpleXml* FDocument;
  size_t FChunkEnd = 0;
};

inline bool IsXmlBlank(unsigned char b) { return b == ' ' || b == '\t' || b == '\r' || b == '\n'; }

inline std::string ByteText(unsigned char b) { return std::string(1, static_cast<char>(b)); }

// Compares the bytes of opener one by one from the position. A mismatch raises
// construct + ": Expected " + expected + " Found " + byte; the data ending raises
// construct + ": Unexpected end of data".
void ExpectXmlBytes(TXmlCursor& in, std::string_view opener, const std::string& construct);

}  // namespace ambrel
