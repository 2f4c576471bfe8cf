// Standard input as the command line reads it: a buffered stream over a file descriptor
// whose failed reads are not taken for the end of the input. A read that fails throws
// std::system_error with the system's error, so that the reader can say why.
#pragma once

#include <streambuf>

namespace ambrel {

class TFdInput : public std::streambuf {
 public:
  explicit TFdInput(int Fd) : FFd(Fd) { setg(FBuffer, FBuffer, FBuffer); }
  TFdInput(const TFdInput&) = delete;
  TFdInput& operator=(const TFdInput&) = delete;

 protected:
  int_type underflow() override;

 private:
  int FFd;
  char FBuffer[64 * 1024];
};

}  // namespace ambrel
