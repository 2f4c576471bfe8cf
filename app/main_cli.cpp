// ambrel-cli: the headless entry point. Analyses one Matroska file and prints its text
// report, its HTML page or its parsing log; answers codec database questions.
#include <iostream>
#include <string>
#include <vector>

#include "app/CodecDbCommands.h"
#include "app/MediaAnalysis.h"
#include "app/SystemInfoReport.h"
#include "platform/Executable.h"
#include "sysinfo/SystemInfoSection.h"

using namespace ambrel;

namespace {

const char kUsage[] =
    "Usage: ambrel-cli [--media-world WORLD] [--no-render] [--html | --log] [--save DIR] FILE\n"
    "       ambrel-cli [--media-world WORLD] --filters [--html]\n"
    "       ambrel-cli --codec CODECID [--fourcc FOURCC]\n"
    "       ambrel-cli --check-codecdb FILE\n"
    "       ambrel-cli --dump-xml FILE\n"
    "       ambrel-cli --system-info [--html]\n"
    "\n"
    "Analyses a Matroska file (.mkv, .mka, .mks) and prints its text report: the file's\n"
    "structure, the RenderFile check and the detailed rendering.\n"
    "  --media-world WORLD  answer media-framework questions from a scripted world (JSON)\n"
    "  --no-render   leave out the two rendering sections (the framework is not started)\n"
    "  --filters     list the installed filters and audio renderers instead\n"
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
    return RunSystemInfo(args.size() == 2, LocalMachineProvider(), *media::CreateDefaultMediaFramework(), std::cout);
  }
  const int status = RunAnalysisCommand(args, ambrel::platform::ExecutableDirectory(), std::cout, std::cerr);
  if (status == 2) std::cerr << kUsage;
  return status;
}
