// The parser's error: carries the message that the report and the parsing log show.
#pragma once

#include <stdexcept>
#include <string>

namespace ambrel {

class EMatroskaError : public std::runtime_error {
 public:
  explicit EMatroskaError(const std::string& Message) : std::runtime_error(Message) {}
};

}  // namespace ambrel
