// Tags with their targets and nested simple tags.
#include "matroska/ElementRules.h"

namespace ambrel {

bool TMatroskaReader::ReadTags(TMatroskaReader& Owner) {
  static const TElementRule<TMatroskaReader> rules[] = {
      ContainerRule<TMatroskaReader>(0x7373, "Tag :", &TMatroskaReader::ReadTag),
  };
  return ReadContainer(Owner, rules);
}

bool TMatroskaReader::ReadTag(TMatroskaReader& Owner) {
  using T = TMatroskaTag;
  static const TElementRule<T> rules[] = {
      ContainerRule<T>(0x63C0, "Targets :", &TMatroskaReader::ReadTagTargets),
      ContainerRule<T>(0x67C8, "SimpleTag :", &TMatroskaReader::ReadTagSimpleTag,
                       &TMatroskaReader::FSimpleTagDepth),
  };
  if (Owner.FKeepTags) {
    if (!ReadRecord(Owner.Tags, rules)) return false;
  } else {
    const bool complete = ReadRecord(Owner.FDroppedTags, rules);
    Owner.FDroppedTags.clear();
    if (!complete) return false;
  }
  ++Owner.FTagsRead;
  return true;
}

bool TMatroskaReader::ReadTagTargets(TMatroskaTag& Tag) {
  using G = TMatroskaTagTarget;
  static const TElementRule<G> rules[] = {
      UintRule(0x68CA, "TargetTypeValue", &G::TargetTypeValue),
      StringRule(0x63CA, "TargetType", &G::TargetType),
      UintRule(0x63C5, "TrackUID", &G::TrackUID),
      UintRule(0x63C9, "EditionUID", &G::EditionUID),
      UintRule(0x63C4, "ChapterUID", &G::ChapterUID),
      UintRule(0x63C6, "AttachmentUID", &G::AttachmentUID),
  };
  return ReadContainer(Tag.Targets, rules);
}

bool TMatroskaReader::ReadTagSimpleTag(TMatroskaTag& Tag) { return ReadSimpleTag(Tag.SimpleTags); }

bool TMatroskaReader::ReadNestedSimpleTag(TMatroskaSimpleTag& Parent) {
  return ReadSimpleTag(Parent.SimpleTags);
}

// Reads one SimpleTag and appends it to List when it was read to its end. Nesting is
// bounded by the depth counter of the simple-tag rules (FSimpleTagDepth).
bool TMatroskaReader::ReadSimpleTag(std::vector<TMatroskaSimpleTag>& List) {
  using S = TMatroskaSimpleTag;
  static const TElementRule<S> rules[] = {
      StringRule(0x45A3, "TagName", &S::TagName),
      StringRule(0x447A, "TagLanguage", &S::TagLanguage),
      StringRule(0x4487, "TagString", &S::TagString),
      UintRule(0x4484, "TagDefault", &S::TagDefault),
      ContainerRule<S>(0x67C8, "SimpleTag :", &TMatroskaReader::ReadNestedSimpleTag,
                       &TMatroskaReader::FSimpleTagDepth),
  };
  return ReadRecord(List, rules);
}

}  // namespace ambrel
