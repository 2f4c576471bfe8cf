// Build-time tools: writing what a tool made, saying so on standard error when it cannot,
// so that the build step fails instead of embedding a short file.
#pragma once

#include <fstream>
#include <iostream>
#include <string_view>

namespace ambrel::tools {

inline bool WriteMadeFile(const char* Path, std::string_view Bytes) {
  std::ofstream out(Path, std::ios::binary | std::ios::trunc);
  out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
  out.close();
  if (!out) std::cerr << Path << ": cannot write\n";
  return static_cast<bool>(out);
}

}  // namespace ambrel::tools
