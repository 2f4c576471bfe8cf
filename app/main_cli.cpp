// ambrel-cli: the headless entry point. Analyses one Matroska file and prints its text
// report, its HTML page or its parsing log; answers codec database questions.
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "app/AnalysisCommand.h"
#include "app/CodecDbCommands.h"
#include "app/SystemInfoReport.h"
#include "platform/Executable.h"
#include "sysinfo/SystemInfoSection.h"

using namespace ambrel;

namespace {

const char kUsage[] =
    "Usage: ambrel-cli [--html | --log | --save DIR] FILE\n"
    "       ambrel-cli --codec CODECID [--fourcc FOURCC]\n"
    "       ambrel-cli --check-codecdb FILE\n"
    "       ambrel-cli --dump-xml FILE\n"
    "       ambrel-cli --system-info [--html]\n"
    "\n"
    "Analyses a Matroska file (.mkv, .mka, .mks) and prints its text report.\n"
    "  --html        print the HTML report page instead\n"
    "  --log         print the Matroska parsing log instead\n"
    "  --save DIR    also write Report.html and Report.txt into DIR\n"
    "  --codec       list the codec database's proposals for a CodecID (and FOURCC)\n"
    "  --check-codecdb  check a codec database file\n"
    "  --dump-xml    parse an XML file and write it back\n"
    "  --system-info print this machine's system information (--html: as a page)\n"
    "  --help        show this text\n"
    "  --version     show the program's version\n";

const char kVersion[] = "ambrel-cli 0.1.0\n";

int UsageError(const std::string& message) {
  std::cerr << "ambrel-cli: " << message << "\n" << kUsage;
  return 2;
}

int Analyse(const std::string& file, TAnalysisOutput output, const std::string* saveDir) {
  return RunAnalysis(file, output, saveDir, ambrel::platform::ExecutableDirectory(), std::cout, std::cerr);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return UsageError("no file given");
  const std::string& first = args[0];
  if (first == "--help" || first == "-h") {
    std::cout << kUsage;
    return 0;
  }
  if (first == "--version") {
    std::cout << kVersion;
    return 0;
  }
  if (first == "--codec") {
    if (args.size() == 2) return RunCodecQuery(args[1], "", ambrel::platform::ExecutableDirectory(), std::cout, std::cerr);
    if (args.size() == 4 && args[2] == "--fourcc") {
      return RunCodecQuery(args[1], args[3], ambrel::platform::ExecutableDirectory(), std::cout, std::cerr);
    }
    return UsageError("--codec needs CODECID [--fourcc FOURCC]");
  }
  if (first == "--check-codecdb" || first == "--dump-xml") {
    if (args.size() != 2) return UsageError(first + " needs exactly one FILE");
    return first == "--dump-xml" ? RunDumpXml(args[1], std::cout, std::cerr)
                                 : RunCheckCodecDB(args[1], std::cout, std::cerr);
  }
  if (first == "--system-info") {
    if (args.size() > 2 || (args.size() == 2 && args[1] != "--html")) return UsageError("--system-info takes only --html");
    return RunSystemInfo(args.size() == 2, LocalMachineProvider(), std::cout);
  }
  if (first == "--html" || first == "--log") {
    if (args.size() != 2) return UsageError(first + " needs exactly one FILE");
    return Analyse(args[1], first == "--html" ? TAnalysisOutput::Html : TAnalysisOutput::Log, nullptr);
  }
  if (first == "--save") {
    if (args.size() != 3) return UsageError("--save needs DIR and FILE");
    return Analyse(args[2], TAnalysisOutput::Text, &args[1]);
  }
  if (first.size() > 1 && first[0] == '-' && first != "--") return UsageError("unknown option " + first);
  const size_t index = first == "--" ? 1 : 0;
  if (args.size() != index + 1) return UsageError("exactly one FILE is analysed");
  return Analyse(args[index], TAnalysisOutput::Text, nullptr);
}
