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
      ContainerRule<E>(0xB6, "Chapter Atom :", &TMatroskaReader::ReadEditionAtom,
                       &TMatroskaReader::FChapterDepth),
      UintRule(0x45BC, "EditionUID", &E::EditionUID),
      UintRule(0x45BD, "EditionFlagHidden", &E::EditionFlagHidden),
      UintRule(0x45DB, "EditionFlagDefault", &E::EditionFlagDefault),
      UintRule(0x45DD, "EditionManaged", &E::EditionManaged),
  };
  return ReadOutlined(0, [&](const TMatroskaChapterAtom*&) { return ReadRecord(Owner.Editions, rules); });
}

// Reads one ChapterAtom and appends it to Atoms when it was read to its end. Nesting is
// bounded by the depth counter of the atom rules (FChapterDepth).
template <class List>
bool TMatroskaReader::ReadChapterAtom(List& Atoms) {
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
