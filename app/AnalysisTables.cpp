#include "app/AnalysisTables.h"

namespace ambrel {

TAnalysisTables::TAnalysisTables(const std::string& ExeDir, std::ostream& err) {
  std::string loadError;
  FNames.Load(ExeDir, &loadError);
  if (!loadError.empty()) err << "ambrel-cli: " << loadError << "\n";
  loadError.clear();
  LoadCodecDB(FCodecDB, ExeDir, &loadError);
  if (!loadError.empty()) err << "ambrel-cli: " << loadError << "\n";
}

}  // namespace ambrel
