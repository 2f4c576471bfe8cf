// The tables the command line uses when nothing lies beside it, for the report tests.
#pragma once

#include "app/analysis/AnalysisContext.h"
#include "app/analysis/FriendlyNames.h"
#include "codecdb/XmlCodecDB.h"
#include "io/DataFile.h"

namespace ambrel::testing {

struct TTables {
  TTables() {
    Names.Load("");
    LoadCodecDB(CodecDB, "", nullptr);
  }
  TFriendlyNames Names;
  TXmlCodecDB CodecDB;
  TAnalysisContext Context{Names, CodecDB};
};

}  // namespace ambrel::testing
