// Chapter editions with their nested chapter atoms, displays and track numbers.
#include <utility>

#include "matroska/ElementRules.h"

namespace ambrel {

bool TMatroskaReader::ReadChapters(TMatroskaReader& Owner) {
  static const TElementRule<TMatroskaReader> rules[] = {
      ContainerRule<TMatroskaReader>(0x45B9, "Edition entry :", &TMatroskaReader::ReadEditionEntry),
  };
  return ReadContainer(Owner, rules);
}

bool TMatroskaReader::ReadEditionEntry(TMatroskaReader& Owner) {
  using E = TMatroskaEditionEntry;
  static const TElementRule<E> rules[] = {
      ContainerRule<E>(0xB6, "Chapter Atom :", &TMatroskaReader::ReadEditionAtom,
                       &TMatroskaReader::FChapterDepth),
      UintRule(0x45BC, "EditionUID", &E::EditionUID),
      UintRule(0x45BD, "EditionFlagHidden", &E::EditionFlagHidden),
      UintRule(0x45DB, "EditionFlagDefault", &E::EditionFlagDefault),
      UintRule(0x45DD, "EditionManaged", &E::EditionManaged),
  };
  return ReadRecord(Owner.Editions, rules);
}

bool TMatroskaReader::ReadEditionAtom(TMatroskaEditionEntry& Edition) {
  return ReadChapterAtom(Edition.ChapterAtoms);
}

bool TMatroskaReader::ReadNestedAtom(TMatroskaChapterAtom& Parent) {
  return ReadChapterAtom(Parent.ChapterAtoms);
}

// Reads one ChapterAtom and appends it to List when it was read to its end. Nesting is
// bounded by the depth counter of the atom rules (FChapterDepth).
bool TMatroskaReader::ReadChapterAtom(TChapterAtomList& List) {
  using A = TMatroskaChapterAtom;
  static const TElementRule<A> rules[] = {
      UintRule(0x73C4, "ChapterUID", &A::ChapterUID),
      UintRule(0x91, "ChapterTimeStart", &A::ChapterTimeStart),
      UintRule(0x92, "ChapterTimeEnd", &A::ChapterTimeEnd),
      UintRule(0x98, "ChapterFlagHidden", &A::ChapterFlagHidden),
      UintRule(0x4598, "ChapterFlagEnabled", &A::ChapterFlagEnabled),
      UintRule(0x63C3, "ChapterPhysicalEquiv", &A::ChapterPhysicalEquiv),
      ContainerRule<A>(0x8F, "Chapter track number :", &TMatroskaReader::ReadChapterTrack),
      ContainerRule<A>(0x80, "Chapter Display :", &TMatroskaReader::ReadChapterDisplay),
      ContainerRule<A>(0xB6, "Chapter Atom :", &TMatroskaReader::ReadNestedAtom,
                       &TMatroskaReader::FChapterDepth),
  };
  return ReadRecord(List, rules);
}

bool TMatroskaReader::ReadChapterTrack(TMatroskaChapterAtom& Atom) {
  static const TElementRule<TMatroskaChapterAtom> rules[] = {
      CustomRule<TMatroskaChapterAtom>(0x89, "ChapterTrackNumber", &TMatroskaReader::ReadChapterTrackNumber),
  };
  return ReadContainer(Atom, rules);
}

// Keeps up to 32 track numbers per atom, across all its ChapterTrack elements; further
// ones are skipped.
void TMatroskaReader::ReadChapterTrackNumber(TEbmlElement& E, TMatroskaChapterAtom& Atom) {
  if (Atom.ChapterTrackCount >= TMatroskaChapterAtom::kMaxTrackNumbers) {
    E.Skip();
    return;
  }
  Atom.ChapterTrackNumbers.push_back(static_cast<int64_t>(E.ReadValueUINT("ChapterTrackNumber")));
  ++Atom.ChapterTrackCount;
}

bool TMatroskaReader::ReadChapterDisplay(TMatroskaChapterAtom& Atom) {
  using D = TMatroskaChapterDisplay;
  static const TElementRule<D> rules[] = {
      StringRule(0x85, "ChapString", &D::ChapString),
      StringRule(0x437C, "ChapLanguage", &D::ChapLanguage),
      StringRule(0x437E, "ChapCountry", &D::ChapCountry),
  };
  return ReadRecord(Atom.Displays, rules);
}

void FillChapterEndTimes(TChapterAtomList& Atoms, int64_t DefaultEnd) {
  // Walks the tree with an explicit stack, so depth costs no native stack.
  std::vector<std::pair<TChapterAtomList*, int64_t>> pending{{&Atoms, DefaultEnd}};
  while (!pending.empty()) {
    auto [list, defaultEnd] = pending.back();
    pending.pop_back();
    for (size_t i = 0; i < list->size(); ++i) {
      TMatroskaChapterAtom& atom = (*list)[i];
      if (atom.ChapterTimeEnd == 0)
        atom.ChapterTimeEnd = i + 1 < list->size() ? (*list)[i + 1].ChapterTimeStart : defaultEnd;
      if (!atom.ChapterAtoms.empty()) pending.emplace_back(&atom.ChapterAtoms, atom.ChapterTimeEnd);
    }
  }
}

}  // namespace ambrel
