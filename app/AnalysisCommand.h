// The command line's file analysis: loads the tables beside the executable, analyses one
// file (and, given a media framework, runs the two rendering sections after the file
// section) and prints one of its outputs; optionally saves both reports into a folder.
#pragma once

#include <ostream>
#include <string>

namespace ambrel {

namespace media {
class IMediaFramework;
}

enum class TAnalysisOutput { Text, Html, Log };

// Returns the exit status: 0 when the file was parsed up to its first Cluster and every
// requested report was saved, 1 otherwise. Problems with the data files and failures to
// save are written to err (one line each, plain text); the chosen output always goes to
// out. Framework answers the proposed filters' installed state; with Render it also runs
// the RenderFile check and the detailed rendering.
int RunAnalysis(const std::string& FileName, TAnalysisOutput Output, const std::string* SaveDir,
                const std::string& ExeDir, std::ostream& out, std::ostream& err,
                media::IMediaFramework* Framework = nullptr, bool Render = false);

}  // namespace ambrel
