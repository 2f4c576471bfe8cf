#include "app/analysis/AnalysisTables.h"

#include "dshow/DShowHelper.h"

namespace ambrel {

TAnalysisTables::TAnalysisTables(const std::string& ExeDir, std::ostream& err, const TCodecDbChoice& CodecDb,
                                 std::string_view Prefix) {
  std::string loadError;
  auto names = std::make_unique<TFriendlyNames>();
  if (names->LoadDataFile(ExeDir, &loadError)) FNames = std::move(names);
  if (!loadError.empty()) err << Prefix << loadError << "\n";
  FCodecDB = ChooseCodecDB(CodecDb, ExeDir);
  if (!FCodecDB.Error.empty()) err << Prefix << FCodecDB.Error << "\n";
}

TAnalysisContext TAnalysisTables::Context() const {
  return {FNames ? TTableRef<TFriendlyNames>(*FNames) : TTableRef<TFriendlyNames>(&TFriendlyNames::Embedded),
          FCodecDB.File ? TTableRef<TXmlCodecDB>(*FCodecDB.File) : TTableRef<TXmlCodecDB>(FCodecDB.Embedded),
          nullptr, &FindFilterInstallWithoutFramework};
}

}  // namespace ambrel
