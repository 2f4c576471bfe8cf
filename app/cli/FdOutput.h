// Standard output as the command line writes it: a buffered stream over a file
// descriptor that remembers why a write failed, so that the run can say so. A reader
// that went away (a closed pipe) ends the program the way a Unix filter ends.
#pragma once

#include <streambuf>
#include <string>

namespace ambrel {

class TFdOutput : public std::streambuf {
 public:
  explicit TFdOutput(int Fd) : FFd(Fd) { setp(FBuffer, FBuffer + sizeof FBuffer); }
  ~TFdOutput() override { sync(); }
  TFdOutput(const TFdOutput&) = delete;
  TFdOutput& operator=(const TFdOutput&) = delete;

  // The system's message for the first failed write; empty while every write went through.
  std::string Failure() const;
  // The descriptor was closed when the program started (and now leads nowhere): the first
  // byte written fails with Errno, as a write to the closed descriptor would have.
  void FailWrites(int Errno) { FRefusal = Errno; }

 protected:
  int overflow(int C) override;
  int sync() override;
  std::streamsize xsputn(const char* Data, std::streamsize Size) override;

 private:
  bool WriteAll(const char* Data, size_t Size);
  bool Drain();

  int FFd;
  int FErrno = 0;
  int FRefusal = 0;
  char FBuffer[64 * 1024];
};

}  // namespace ambrel
