// Tags with their targets and nested simple tags.
#include "matroska/ElementRules.h"

namespace ambrel {

bool TMatroskaReader::ReadTag(TMatroskaReader& Owner) {
  using T = TMatroskaTag;
  static const TElementRule<T> rules[] = {
      ContainerRule<T>(ids::kTargets, "Targets :", &TMatroskaReader::ReadTagTargets),
      ContainerRule<T>(ids::kSimpleTag, "SimpleTag :", &TMatroskaReader::ReadTagSimpleTag,
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
      UintRule(ids::kTargetTypeValue, "TargetTypeValue", &G::TargetTypeValue),
      StringRule(ids::kTargetType, "TargetType", &G::TargetType),
      UintRule(ids::kTagTrackUID, "TrackUID", &G::TrackUID),
      UintRule(ids::kTagEditionUID, "EditionUID", &G::EditionUID),
      UintRule(ids::kTagChapterUID, "ChapterUID", &G::ChapterUID),
      UintRule(ids::kTagAttachmentUID, "AttachmentUID", &G::AttachmentUID),
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
      StringRule(ids::kTagName, "TagName", &S::TagName),
      StringRule(ids::kTagLanguage, "TagLanguage", &S::TagLanguage),
      StringRule(ids::kTagString, "TagString", &S::TagString),
      UintRule(ids::kTagDefault, "TagDefault", &S::TagDefault),
      ContainerRule<S>(ids::kSimpleTag, "SimpleTag :", &TMatroskaReader::ReadNestedSimpleTag,
                       &TMatroskaReader::FSimpleTagDepth),
  };
  return ReadRecord(List, rules);
}

}  // namespace ambrel
