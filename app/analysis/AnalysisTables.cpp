#include "app/analysis/AnalysisTables.h"

namespace ambrel {

TAnalysisTables::TAnalysisTables(const std::string& ExeDir, std::ostream& err) {
  std::string loadError;
  auto names = std::make_unique<TFriendlyNames>();
  if (names->LoadDataFile(ExeDir, &loadError)) FNames = std::move(names);
  if (!loadError.empty()) err << "ambrel-cli: " << loadError << "\n";
  loadError.clear();
  FCodecDB = LoadCodecDBFile(ExeDir, &loadError);
  if (!loadError.empty()) err << "ambrel-cli: " << loadError << "\n";
}

TAnalysisContext TAnalysisTables::Context() const {
  return {FNames ? TTableRef<TFriendlyNames>(*FNames) : TTableRef<TFriendlyNames>(&TFriendlyNames::Embedded),
          FCodecDB ? TTableRef<TXmlCodecDB>(*FCodecDB) : TTableRef<TXmlCodecDB>(&EmbeddedCodecDB)};
}

}  // namespace ambrel
