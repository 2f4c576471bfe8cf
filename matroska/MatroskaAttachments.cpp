// Attached files: names, types and where their bytes lie (the bytes are never read).
#include "matroska/ElementRules.h"

namespace ambrel {

bool TMatroskaReader::ReadAttachedFile(TMatroskaReader& Owner) {
  using F = TMatroskaAttachedFile;
  static const TElementRule<F> rules[] = {
      StringRule(ids::kFileDescription, "FileDescription", &F::FileDescription),
      StringRule(ids::kFileName, "FileName", &F::FileName),
      StringRule(ids::kFileMimeType, "FileMimeType", &F::FileMimeType),
      CustomRule<F>(ids::kFileData, "FileData", &TMatroskaReader::ReadFileData),
      UintRule(ids::kFileUID, "FileUID", &F::FileUID),
  };
  return ReadRecord(Owner.Attachments, rules);
}

// Records where the attached file's bytes lie and skips them.
void TMatroskaReader::ReadFileData(TEbmlElement& E, TMatroskaAttachedFile& File) {
  File.FileDataPosition = E.DataPosition();
  File.FileDataSize = E.DataSize;
  E.Skip();
}

}  // namespace ambrel
