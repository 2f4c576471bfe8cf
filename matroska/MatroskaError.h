// The parser's error: carries the message that the report and the parsing log show.
#pragma once

#include <stdexcept>
#include <string>

namespace ambrel {

class EMatroskaError : public std::runtime_error {
 public:
  explicit EMatroskaError(const std::string& Message) : std::runtime_error(Message) {}
};

// Raised inside the parser when the caller asked it to stop; the parser catches it and
// keeps what was read so far. Not an EMatroskaError, so no error handler takes it for one.
class EParseCancelled : public std::runtime_error {
 public:
  EParseCancelled() : std::runtime_error("Analysis cancelled.") {}
};

}  // namespace ambrel
