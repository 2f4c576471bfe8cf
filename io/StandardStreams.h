// The standard descriptors 0, 1 and 2 as a program needs them before it opens anything:
// a program started with one of them closed would otherwise get its first file, socket
// or pipe on that number, and its messages or report would land in there.
#pragma once

namespace ambrel::platform {

// Which of the standard streams were closed at start.
struct TClosedStreams {
  bool In = false;
  bool Out = false;
  bool Err = false;
};

// Opens /dev/null onto every standard descriptor that is closed, and says which were.
// Call first thing in main, before any other file is opened. Nothing to do on Windows.
TClosedStreams OpenClosedStandardStreams();

}  // namespace ambrel::platform
