// The frame of the build-time tools that turn an XML file into a form the program embeds:
// the usage line, the tool's own work, writing what it made, and an input that does not
// parse reported against its path. Any failure gives a non-zero status, which fails the
// build step.
#pragma once

#include <exception>
#include <iostream>
#include <optional>
#include <string>

#include "codecdb/snapshot/WriteMadeFile.h"
#include "xml/SimpleXml.h"

namespace ambrel::tools {

// Make(input path) reads the input and returns what to write, or nothing once it has said
// on standard error why it made nothing. Usage names the two arguments.
template <class F>
int RunXmlTool(int argc, char** argv, const char* Usage, F Make) {
  if (argc != 3) {
    std::cerr << "usage: " << argv[0] << " " << Usage << "\n";
    return 2;
  }
  try {
    const std::optional<std::string> made = Make(argv[1]);
    return made && WriteMadeFile(argv[2], *made) ? 0 : 1;
  } catch (const std::exception& error) {
    std::cerr << argv[1] << ": " << XmlErrorMessage(error) << "\n";
    return 1;
  }
}

}  // namespace ambrel::tools
