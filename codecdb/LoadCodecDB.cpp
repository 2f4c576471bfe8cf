// Chooses and loads the codec database the program uses.
#include <exception>

#include "codecdb/XmlCodecDB.h"
#include "io/DataFile.h"
#include "resources/Resources.h"

namespace ambrel {

namespace {

// Loads "CodecsDB.xml" from ExeDir into DB. False when there is no such file, it failed
// to load or it is not a codec database (its message then in *ErrorMessage).
bool LoadDataFile(TXmlCodecDB& DB, const std::string& ExeDir, std::string* ErrorMessage) {
  std::string bytes;
  const platform::TReadResult file = platform::ReadDataFile(ExeDir, "CodecsDB.xml", bytes);
  if (file.Ok()) {
    // A broken override must not leave the program without a database: the caller
    // uses the embedded one, told which file was refused and why.
    const std::string refused = "Cannot use file \"" + platform::JoinPath(ExeDir, "CodecsDB.xml") + "\". ";
    try {
      if (DB.LoadFromString(bytes)) return true;
      if (ErrorMessage) {
        *ErrorMessage = refused + "Not a codec database: the root element is \"" + DB.Document().Root().Name() +
                        "\", not \"codecdb\"";
      }
    } catch (const std::exception& error) {
      if (ErrorMessage) *ErrorMessage = refused + XmlErrorMessage(error);
    }
  } else if (file.Status != platform::TReadStatus::Missing && ErrorMessage) {
    *ErrorMessage = file.Message;
  }
  return false;
}

}  // namespace

namespace {

struct TEmbeddedTables {
  std::string_view (*Snapshot)();
  std::string_view (*FilterTable)();
};

TEmbeddedTables TablesOf(TCodecDbSource Source) {
  if (Source == TCodecDbSource::GStreamer)
    return {ambrel::resources::GstCodecsDBSnapshot, ambrel::resources::GstCodecsDBFilterTable};
  return {ambrel::resources::CodecsDBSnapshot, ambrel::resources::CodecsDBFilterTable};
}

// Never freed: the database lives as long as the process, and tearing a tree down at
// exit would cost as much as a good part of a short run.
const TXmlCodecDB* MakeEmbedded(TCodecDbSource Source) {
  auto* embedded = new TXmlCodecDB;
  const TEmbeddedTables tables = TablesOf(Source);
  embedded->LoadFromTables(tables.Snapshot(), tables.FilterTable());
  return embedded;
}

}  // namespace

bool LoadCodecDB(TXmlCodecDB& DB, const std::string& ExeDir, std::string* ErrorMessage, TCodecDbSource Source) {
  if (LoadDataFile(DB, ExeDir, ErrorMessage)) return true;
  const TEmbeddedTables tables = TablesOf(Source);
  return DB.LoadFromTables(tables.Snapshot(), tables.FilterTable());
}

std::unique_ptr<TXmlCodecDB> LoadCodecDBFile(const std::string& ExeDir, std::string* ErrorMessage) {
  auto db = std::make_unique<TXmlCodecDB>();
  if (LoadDataFile(*db, ExeDir, ErrorMessage)) return db;
  return nullptr;
}

const TXmlCodecDB& EmbeddedCodecDB() {
  static const TXmlCodecDB* const db = MakeEmbedded(TCodecDbSource::DirectShow);
  return *db;
}

const TXmlCodecDB& EmbeddedGstCodecDB() {
  static const TXmlCodecDB* const db = MakeEmbedded(TCodecDbSource::GStreamer);
  return *db;
}

}  // namespace ambrel
