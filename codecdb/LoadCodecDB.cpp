// Chooses and loads the codec database the program uses.
#include <exception>
#include <filesystem>

#include "codecdb/XmlCodecDB.h"
#include "resources/Resources.h"

namespace ambrel {

bool LoadCodecDB(TXmlCodecDB& DB, const std::string& ExeDir, std::string* ErrorMessage) {
  std::string fileName = ExeDir;
  if (!fileName.empty() && fileName.back() != '/' && fileName.back() != '\\') fileName += '/';
  fileName += "CodecsDB.xml";

  std::error_code ignored;
  if (std::filesystem::exists(fileName, ignored)) {
    try {
      return DB.LoadFromFile(fileName);
    } catch (const std::exception& error) {
      // A broken override must not leave the program without a database.
      if (ErrorMessage) *ErrorMessage = XmlErrorMessage(error);
    }
  }
  return DB.LoadFromString(ambrel::resources::CodecsDB());
}

}  // namespace ambrel
