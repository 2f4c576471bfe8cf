// The command line's analysis modes: the whole analysis of one file (Matroska section,
// RenderFile check, detailed rendering) over the platform's media framework or a
// scripted world, and the lists of installed filters.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace ambrel {

// Runs the analysis arguments of ambrel-cli:
//   [--media-world WORLD] [--no-render] [--html | --log | --save DIR] [--] FILE
//   [--media-world WORLD] --filters [--html]
// Returns the exit status: 0 when the file was parsed up to its first Cluster (or the
// filter lists were written), 1 when it was not, 2 for a usage error (message on err,
// which a refused world also is).
int RunAnalysisCommand(const std::vector<std::string>& Args, const std::string& ExeDir, std::ostream& out,
                       std::ostream& err);

}  // namespace ambrel
