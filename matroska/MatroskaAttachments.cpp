// Attached files: names, types and where their bytes lie (the bytes are never read).
#include "matroska/ElementRules.h"

namespace ambrel {

bool TMatroskaReader::ReadAttachments(TMatroskaReader& Owner) {
  static const TElementRule<TMatroskaReader> rules[] = {
      ContainerRule<TMatroskaReader>(0x61A7, "Attached file :", &TMatroskaReader::ReadAttachedFile),
  };
  return ReadContainer(Owner, rules);
}

bool TMatroskaReader::ReadAttachedFile(TMatroskaReader& Owner) {
  using F = TMatroskaAttachedFile;
  static const TElementRule<F> rules[] = {
      StringRule(0x467E, "FileDescription", &F::FileDescription),
      StringRule(0x466E, "FileName", &F::FileName),
      StringRule(0x4660, "FileMimeType", &F::FileMimeType),
      CustomRule<F>(0x465C, "FileData", &TMatroskaReader::ReadFileData),
      UintRule(0x46AE, "FileUID", &F::FileUID),
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
