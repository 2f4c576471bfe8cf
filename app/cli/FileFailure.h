// The line on standard error that says why a file's analysis failed, whatever the output:
// "ambrel-cli: FILE: REASON". The report keeps its own wording; this line is for people
// and scripts reading standard error.
#pragma once

#include <string>
#include <string_view>

namespace ambrel {

// "ambrel-cli: File: Reason" and a line break; control characters of Reason are written
// as \xNN.
std::string FileFailureLine(std::string_view File, std::string_view Reason);

// Text as one line that cannot drive a terminal: control characters written as \xNN.
std::string OneLineText(std::string_view Text);

// Why the file at Path gives no full report: the system's message when it cannot be
// opened ("Not a regular file" for a FIFO or a device, which are never opened in a way
// that waits), "not a Matroska file (no EBML header)" when it does not start as one, else
// the parser's message, the one the JSON document gives. Empty when the file parses up
// to its first Cluster.
std::string FileFailureReason(const std::string& Path);

}  // namespace ambrel
