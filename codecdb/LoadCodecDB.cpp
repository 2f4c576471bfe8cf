// Chooses and loads the codec database the program uses.
#include <exception>

#include "codecdb/XmlCodecDB.h"
#include "io/DataFile.h"
#include "resources/Resources.h"

namespace ambrel {

namespace {

// Loads "CodecsDB.xml" from ExeDir into DB. False when there is no such file or it
// failed to load (its message then in *ErrorMessage); RootIsCodecDB tells what the root
// of a loaded file is.
bool LoadDataFile(TXmlCodecDB& DB, const std::string& ExeDir, std::string* ErrorMessage, bool& RootIsCodecDB) {
  std::string bytes;
  const platform::TReadResult file = platform::ReadDataFile(ExeDir, "CodecsDB.xml", bytes);
  if (file.Ok()) {
    try {
      RootIsCodecDB = DB.LoadFromString(bytes);
      return true;
    } catch (const std::exception& error) {
      // A broken override must not leave the program without a database.
      if (ErrorMessage) *ErrorMessage = XmlErrorMessage(error);
    }
  } else if (file.Status != platform::TReadStatus::Missing && ErrorMessage) {
    *ErrorMessage = file.Message;
  }
  return false;
}

}  // namespace

bool LoadCodecDB(TXmlCodecDB& DB, const std::string& ExeDir, std::string* ErrorMessage) {
  bool rootIsCodecDB = false;
  if (LoadDataFile(DB, ExeDir, ErrorMessage, rootIsCodecDB)) return rootIsCodecDB;
  return DB.LoadFromTables(ambrel::resources::CodecsDBSnapshot(), ambrel::resources::CodecsDBFilterTable());
}

std::unique_ptr<TXmlCodecDB> LoadCodecDBFile(const std::string& ExeDir, std::string* ErrorMessage) {
  auto db = std::make_unique<TXmlCodecDB>();
  bool rootIsCodecDB = false;
  if (LoadDataFile(*db, ExeDir, ErrorMessage, rootIsCodecDB)) return db;
  return nullptr;
}

const TXmlCodecDB& EmbeddedCodecDB() {
  // Never freed: the database lives as long as the process, and tearing a tree down at
  // exit would cost as much as a good part of a short run.
  static const TXmlCodecDB* const db = [] {
    auto* embedded = new TXmlCodecDB;
    embedded->LoadFromTables(ambrel::resources::CodecsDBSnapshot(), ambrel::resources::CodecsDBFilterTable());
    return embedded;
  }();
  return *db;
}

}  // namespace ambrel
