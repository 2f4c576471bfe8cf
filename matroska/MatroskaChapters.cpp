// Chapter editions with their nested chapter atoms, displays and track numbers.
#include <utility>

#include "matroska/ElementRules.h"

namespace ambrel {

// Runs ReadOne (which says whether its record was read to its end and, for an atom,
// points Atom at it) between the opening of an outline entry at Depth and its
// completion, or its removal when the record was cut short or the read failed.
template <class Read>
bool TMatroskaReader::ReadOutlined(int Depth, Read&& ReadOne) {
  const size_t mark = ChapterOutline.Open(Depth);
  const TMatroskaChapterAtom* atom = nullptr;
  bool complete = false;
  try {
    complete = ReadOne(atom);
  } catch (...) {
    ChapterOutline.Drop(mark);
    throw;
  }
  if (!complete) {
    ChapterOutline.Drop(mark);
    return false;
  }
  ChapterOutline.Complete(mark, atom);
  return true;
}

bool TMatroskaReader::ReadEditionEntry(TMatroskaReader& Owner) {
  using E = TMatroskaEditionEntry;
  static const TElementRule<E> rules[] = {
      ContainerRule<E>(ids::kChapterAtom, "Chapter Atom :", &TMatroskaReader::ReadEditionAtom,
                       &TMatroskaReader::FChapterDepth),
      UintRule(ids::kEditionUID, "EditionUID", &E::EditionUID),
      UintRule(ids::kEditionFlagHidden, "EditionFlagHidden", &E::EditionFlagHidden),
      UintRule(ids::kEditionFlagDefault, "EditionFlagDefault", &E::EditionFlagDefault),
      UintRule(ids::kEditionManaged, "EditionManaged", &E::EditionManaged),
  };
  return ReadOutlined(0, [&](const TMatroskaChapterAtom*&) { return ReadRecord(Owner.Editions, rules); });
}

// Reads one ChapterAtom and appends it to Atoms when it was read to its end. Nesting is
// bounded by the depth counter of the atom rules (FChapterDepth).
template <class List>
bool TMatroskaReader::ReadChapterAtom(List& Atoms) {
  using A = TMatroskaChapterAtom;
  static const TElementRule<A> rules[] = {
      UintRule(ids::kChapterUID, "ChapterUID", &A::ChapterUID),
      UintRule(ids::kChapterTimeStart, "ChapterTimeStart", &A::ChapterTimeStart),
      UintRule(ids::kChapterTimeEnd, "ChapterTimeEnd", &A::ChapterTimeEnd),
      UintRule(ids::kChapterFlagHidden, "ChapterFlagHidden", &A::ChapterFlagHidden),
      UintRule(ids::kChapterFlagEnabled, "ChapterFlagEnabled", &A::ChapterFlagEnabled),
      UintRule(ids::kChapterPhysicalEquiv, "ChapterPhysicalEquiv", &A::ChapterPhysicalEquiv),
      ContainerRule<A>(ids::kChapterTrack, "Chapter track number :", &TMatroskaReader::ReadChapterTrack),
      ContainerRule<A>(ids::kChapterDisplay, "Chapter Display :", &TMatroskaReader::ReadChapterDisplay),
      ContainerRule<A>(ids::kChapterAtom, "Chapter Atom :", &TMatroskaReader::ReadNestedAtom,
                       &TMatroskaReader::FChapterDepth),
  };
  const bool complete = ReadOutlined(FChapterDepth, [&](const A*& Atom) {
    if (!ReadRecord(Atoms, rules)) return false;
    Atom = &Atoms.back();
    return true;
  });
  // Dropped, the atom's record costs nothing beyond its reading: the outline has it.
  if (complete && !FKeepChapterAtoms) Atoms.pop_back();
  return complete;
}

bool TMatroskaReader::ReadEditionAtom(TMatroskaEditionEntry& Edition) {
  return ReadChapterAtom(Edition.ChapterAtoms);
}

bool TMatroskaReader::ReadNestedAtom(TMatroskaChapterAtom& Parent) {
  return ReadChapterAtom(Parent.ChapterAtoms);
}

bool TMatroskaReader::ReadChapterTrack(TMatroskaChapterAtom& Atom) {
  using A = TMatroskaChapterAtom;
  static const TElementRule<A> rules[] = {
      CustomRule<A>(ids::kChapterTrackNumber, "ChapterTrackNumber", &TMatroskaReader::ReadChapterTrackNumber),
  };
  return ReadContainer(Atom, rules);
}

// Keeps up to 32 track numbers per atom, across all its ChapterTrack elements; further
// ones are skipped.
void TMatroskaReader::ReadChapterTrackNumber(TEbmlElement& E, TMatroskaChapterAtom& Atom) {
  if (Atom.ChapterTrackNumbers.size() >= TMatroskaChapterAtom::kMaxTrackNumbers) {
    E.Skip();
    return;
  }
  Atom.ChapterTrackNumbers.push_back(static_cast<int64_t>(E.ReadValueUINT("ChapterTrackNumber")));
}

bool TMatroskaReader::ReadChapterDisplay(TMatroskaChapterAtom& Atom) {
  using D = TMatroskaChapterDisplay;
  static const TElementRule<D> rules[] = {
      StringRule(ids::kChapString, "ChapString", &D::ChapString),
      StringRule(ids::kChapLanguage, "ChapLanguage", &D::ChapLanguage),
      StringRule(ids::kChapCountry, "ChapCountry", &D::ChapCountry),
  };
  return ReadRecord(Atom.Displays, rules);
}

namespace {

using TPendingAtoms = std::vector<std::pair<std::vector<TMatroskaChapterAtom>*, int64_t>>;

// Gives every atom of Atoms whose end time is 0 the next atom's start, or DefaultEnd for
// the last one; queues the nested atoms with the atom's end as their default.
template <class List>
void FillLevel(List& Atoms, int64_t DefaultEnd, TPendingAtoms& Pending) {
  for (size_t i = 0; i < Atoms.size(); ++i) {
    TMatroskaChapterAtom& atom = Atoms[i];
    if (atom.ChapterTimeEnd == 0)
      atom.ChapterTimeEnd = i + 1 < Atoms.size() ? Atoms[i + 1].ChapterTimeStart : DefaultEnd;
    if (!atom.ChapterAtoms.empty()) Pending.emplace_back(&atom.ChapterAtoms, atom.ChapterTimeEnd);
  }
}

}  // namespace

void FillChapterEndTimes(TChapterAtomList& Atoms, int64_t DefaultEnd) {
  // Walks the tree with an explicit stack, so depth costs no native stack.
  TPendingAtoms pending;
  FillLevel(Atoms, DefaultEnd, pending);
  while (!pending.empty()) {
    auto [list, defaultEnd] = pending.back();
    pending.pop_back();
    FillLevel(*list, defaultEnd, pending);
  }
}

}  // namespace ambrel
