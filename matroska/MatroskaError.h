// The parser's error: carries the message that the report and the parsing log show.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace ambrel {

class EMatroskaError : public std::runtime_error {
 public:
  explicit EMatroskaError(const std::string& Message) : std::runtime_error(Message) {}
  // An error about the element of the given name at Position, Size bytes long with its
  // header.
  EMatroskaError(const std::string& Message, int64_t Position, std::string Element, int64_t Size)
      : std::runtime_error(Message), Position(Position), Element(std::move(Element)), Size(Size) {}

  int64_t Position = -1;  // -1 when the error is about no element
  std::string Element;
  int64_t Size = -1;
};

// Why a parse did not reach the first Cluster, for callers that report it on their own.
struct TParseFailure {
  std::string Message;      // plain text; empty when the parse reached the first Cluster
  int64_t Position = -1;    // first byte of the element concerned; -1 when none
  std::string Element;      // its name (or its ID in hex); empty when none
  int64_t ElementSize = -1; // its declared size, header included
  bool Truncated = false;   // the file ends inside that element
};

// Raised inside the parser when the caller asked it to stop; the parser catches it and
// keeps what was read so far. Not an EMatroskaError, so no error handler takes it for one.
class EParseCancelled : public std::runtime_error {
 public:
  EParseCancelled() : std::runtime_error("Analysis cancelled.") {}
};

}  // namespace ambrel
