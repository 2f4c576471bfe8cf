// The tables the command line uses when nothing lies beside it, for the report tests.
#pragma once

#include "app/AnalysisContext.h"
#include "app/FriendlyNames.h"
#include "codecdb/XmlCodecDB.h"
#include "platform/DataFile.h"

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
