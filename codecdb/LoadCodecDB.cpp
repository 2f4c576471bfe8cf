// Chooses and loads the codec database the program uses.
#include <exception>

#include "codecdb/XmlCodecDB.h"
#include "platform/DataFile.h"
#include "resources/Resources.h"

namespace ambrel {

bool LoadCodecDB(TXmlCodecDB& DB, const std::string& ExeDir, std::string* ErrorMessage) {
  std::string bytes;
  const platform::TReadResult file = platform::ReadDataFile(ExeDir, "CodecsDB.xml", bytes);
  if (file.Ok()) {
    try {
      return DB.LoadFromString(bytes);
    } catch (const std::exception& error) {
      // A broken override must not leave the program without a database.
      if (ErrorMessage) *ErrorMessage = XmlErrorMessage(error);
    }
  } else if (file.Status != platform::TReadStatus::Missing && ErrorMessage) {
    *ErrorMessage = file.Message;
  }
  return DB.LoadFromString(ambrel::resources::CodecsDB());
}

}  // namespace ambrel
