// Table-driven reading of EBML containers. Every container has one table of rules that
// maps a child's ID to its log name (or title), its kind, where its value goes and what
// the field holds when the element is absent; one loop, written once, reads any container
// from its table.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "matroska/EbmlReader.h"
#include "matroska/ElementIds.h"
#include "matroska/MatroskaError.h"
#include "matroska/MatroskaHelper.h"

namespace ambrel {

enum class TElementKind {
  Uint,       // ReadValueUINT, stored in an integer field of the field's width
  String,     // ReadValueString
  Float,      // ReadValueFloat
  Binary,     // ReadValueBinary, not logged
  Container,  // title logged, element entered, child reader run
  Custom,     // a reader's own handler (FileData, ChapterTrackNumber)
};

template <class Rec>
struct TElementRule {
  using TIntField = std::variant<uint8_t Rec::*, uint32_t Rec::*, int32_t Rec::*, int64_t Rec::*, uint64_t Rec::*>;
  using TChildReader = bool (TMatroskaReader::*)(Rec&);
  using TCustomReader = void (TMatroskaReader::*)(TEbmlElement&, Rec&);

  uint32_t ID = 0;
  TElementKind Kind = TElementKind::Custom;
  std::string_view Name;  // log name of a value, title of a container
  TIntField IntField{};
  std::string Rec::* StringField = nullptr;
  TOptionalText Rec::* TextField = nullptr;  // instead of StringField
  double Rec::* FloatField = nullptr;
  std::vector<uint8_t> Rec::* BinaryField = nullptr;
  bool Rec::* PresentField = nullptr;  // set when the element's value was read
  TChildReader Child = nullptr;
  const TElementRule* Entry = nullptr;  // a list's one kind of element, read instead of Child
  TCustomReader Custom = nullptr;
  int TMatroskaReader::* Depth = nullptr;  // nesting counter bounding this container
  // The field's value from the moment the container is entered, before its children are
  // read; none: the field keeps what it holds.
  std::variant<std::monostate, int64_t, double, std::string_view> Default{};
  // When not 0: a field still 0 once the container is read takes the value of the field of
  // the sibling element with this ID (a rule of the same kind in the same table).
  uint32_t FallbackID = 0;
  // Read for the records only: the log shows the element as skipped, as for an unknown
  // one, and an element that cannot be read is skipped without an error.
  bool Quiet = false;

  TElementRule Quietly() const {
    TElementRule rule = *this;
    rule.Quiet = true;
    return rule;
  }
  template <class V>
  TElementRule WithDefault(V Value) const {
    TElementRule rule = *this;
    if constexpr (std::is_arithmetic_v<V>) {
      if (Kind == TElementKind::Float) {
        rule.Default = static_cast<double>(Value);
      } else {
        rule.Default = static_cast<int64_t>(Value);
      }
    } else {
      rule.Default = std::string_view(Value);
    }
    return rule;
  }
  TElementRule WithFallback(uint32_t SourceID) const {
    TElementRule rule = *this;
    rule.FallbackID = SourceID;
    return rule;
  }
};

template <class Rec, class Int>
TElementRule<Rec> UintRule(uint32_t ID, const char* Name, Int Rec::* Field, bool Rec::* Present = nullptr) {
  return {.ID = ID, .Kind = TElementKind::Uint, .Name = Name, .IntField = Field, .PresentField = Present};
}

template <class Rec>
TElementRule<Rec> StringRule(uint32_t ID, const char* Name, std::string Rec::* Field) {
  return {.ID = ID, .Kind = TElementKind::String, .Name = Name, .StringField = Field};
}

template <class Rec>
TElementRule<Rec> StringRule(uint32_t ID, const char* Name, TOptionalText Rec::* Field) {
  return {.ID = ID, .Kind = TElementKind::String, .Name = Name, .TextField = Field};
}

template <class Rec>
TElementRule<Rec> FloatRule(uint32_t ID, const char* Name, double Rec::* Field, bool Rec::* Present = nullptr) {
  return {.ID = ID, .Kind = TElementKind::Float, .Name = Name, .FloatField = Field, .PresentField = Present};
}

template <class Rec>
TElementRule<Rec> BinaryRule(uint32_t ID, const char* Name, std::vector<uint8_t> Rec::* Field,
                             bool Rec::* Present) {
  return {.ID = ID, .Kind = TElementKind::Binary, .Name = Name, .BinaryField = Field, .PresentField = Present};
}

template <class Rec>
TElementRule<Rec> ContainerRule(uint32_t ID, const char* Title,
                                typename TElementRule<Rec>::TChildReader Child,
                                int TMatroskaReader::* Depth = nullptr) {
  return {.ID = ID, .Kind = TElementKind::Container, .Name = Title, .Child = Child, .Depth = Depth};
}

// A container that holds one kind of element, read as Entry says.
template <class Rec>
TElementRule<Rec> ListRule(uint32_t ID, const char* Title, const TElementRule<Rec>& Entry) {
  return {.ID = ID, .Kind = TElementKind::Container, .Name = Title, .Entry = &Entry};
}

template <class Rec>
TElementRule<Rec> CustomRule(uint32_t ID, const char* Name,
                             typename TElementRule<Rec>::TCustomReader Custom) {
  return {.ID = ID, .Kind = TElementKind::Custom, .Name = Name, .Custom = Custom};
}

template <class Rec>
const TElementRule<Rec>* FindRule(std::span<const TElementRule<Rec>> Rules, uint32_t ID) {
  for (const TElementRule<Rec>& r : Rules)
    if (r.ID == ID) return &r;
  return nullptr;
}

// Reads a value element (E's header just read) into Record as Rule says.
template <class Rec>
void ReadRuleValue(TEbmlElement& E, const TElementRule<Rec>& Rule, Rec& Record) {
  switch (Rule.Kind) {
    case TElementKind::Uint: {
      const uint64_t v = E.ReadValueUINT(Rule.Name);
      std::visit(
          [&](auto Field) {
            using T = std::remove_reference_t<decltype(Record.*Field)>;
            Record.*Field = static_cast<T>(v);  // keeps the low bits of the field's width
          },
          Rule.IntField);
      if (Rule.PresentField) Record.*Rule.PresentField = true;
      break;
    }
    case TElementKind::String:
      if (Rule.StringField) {
        E.ReadValueString(Rule.Name, Record.*Rule.StringField);
      } else {
        std::string text;
        E.ReadValueString(Rule.Name, text);
        Record.*Rule.TextField = std::move(text);
      }
      break;
    case TElementKind::Float:
      Record.*Rule.FloatField = E.ReadValueFloat(Rule.Name);
      if (Rule.PresentField) Record.*Rule.PresentField = true;
      break;
    case TElementKind::Binary:
      E.ReadValueBinary(Record.*Rule.BinaryField, Rule.Name);
      if (Rule.PresentField) Record.*Rule.PresentField = true;
      break;
    case TElementKind::Container:
    case TElementKind::Custom:
      break;
  }
}

// Gives the fields of Record that have a default their default.
template <class Rec>
void ApplyDefaults(std::span<const TElementRule<Rec>> Rules, Rec& Record) {
  for (const TElementRule<Rec>& r : Rules) {
    if (const auto* v = std::get_if<int64_t>(&r.Default); v && r.Kind == TElementKind::Uint) {
      std::visit([&](auto Field) { Record.*Field = static_cast<std::remove_reference_t<decltype(Record.*Field)>>(*v); },
                 r.IntField);
    } else if (const auto* d = std::get_if<double>(&r.Default); d && r.Kind == TElementKind::Float) {
      Record.*r.FloatField = *d;
    } else if (const auto* t = std::get_if<std::string_view>(&r.Default); t && r.Kind == TElementKind::String) {
      if (r.StringField) {
        Record.*r.StringField = std::string(*t);
      } else {
        Record.*r.TextField = std::string(*t);
      }
    }
  }
}

// Gives the fields of Record that are still 0 and have a fallback their source's value.
template <class Rec>
void ApplyFallbacks(std::span<const TElementRule<Rec>> Rules, Rec& Record) {
  for (const TElementRule<Rec>& r : Rules) {
    if (r.FallbackID == 0) continue;
    const TElementRule<Rec>* source = FindRule(Rules, r.FallbackID);
    if (!source || source->Kind != r.Kind) continue;
    if (r.Kind == TElementKind::Float) {
      if (Record.*r.FloatField == 0) Record.*r.FloatField = Record.*source->FloatField;
    } else if (r.Kind == TElementKind::Uint) {
      std::visit(
          [&](auto To, auto From) {
            using T = std::remove_reference_t<decltype(Record.*To)>;
            if (Record.*To == 0) Record.*To = static_cast<T>(Record.*From);
          },
          r.IntField, source->IntField);
    }
  }
}

// Counts one more level of nesting while it lives.
class TDepthGuard {
 public:
  explicit TDepthGuard(int* Counter) : FCounter(Counter) {
    if (FCounter) ++*FCounter;
  }
  ~TDepthGuard() {
    if (FCounter) --*FCounter;
  }
  TDepthGuard(const TDepthGuard&) = delete;
  TDepthGuard& operator=(const TDepthGuard&) = delete;

 private:
  int* FCounter;
};

template <class Rec>
bool TMatroskaReader::EnterChild(TEbmlElement& E, const TElementRule<Rec>& Rule, Rec& Record) {
  int* depth = Rule.Depth ? &(this->*Rule.Depth) : nullptr;
  if (depth && *depth >= kMaxNestingDepth) {
    E.Skip();  // too deep: treated like an unknown element
    return true;
  }
  EbmlReader->LogLine(Rule.Name);
  EbmlReader->EnterElement(E);
  bool ok;
  {
    TDepthGuard guard(depth);
    ok = ReadChildren(Rule, Record);
  }
  if (ok) EbmlReader->LeaveElement();
  return ok;
}

template <class Rec>
void TMatroskaReader::ReadQuietly(TEbmlElement& E, const TElementRule<Rec>& Rule, Rec& Record) {
  TEbmlReader& reader = *EbmlReader;
  const int64_t dataPosition = E.DataPosition();
  E.LogSkip();
  // Elements longer than any of these holds are left alone.
  constexpr int64_t kMaxQuiet = 1 << 16;
  if (E.DataSize <= kMaxQuiet) {
    const int32_t level = reader.Level();
    TEbmlReader::TMute mute(reader);
    try {
      if (Rule.Kind == TElementKind::Container) {
        reader.EnterElement(E);
        ReadChildren(Rule, Record);
      } else if (Rule.Kind == TElementKind::Custom) {
        (this->*Rule.Custom)(E, Record);
      } else {
        ReadRuleValue(E, Rule, Record);
      }
    } catch (const EMatroskaError&) {
      // What could be read stays; the rest is skipped like an unknown element.
    }
    reader.LeaveTo(level);
  }
  // Leaves the file where skipping the element would have left it.
  reader.FileReader.Seek(dataPosition, 0);
  reader.FileReader.Seek(E.DataSize, 1);
}

template <class Rec>
bool TMatroskaReader::ReadChildren(const TElementRule<Rec>& Rule, Rec& Record) {
  if (Rule.Entry) return ReadContainer(Record, std::span<const TElementRule<Rec>>(Rule.Entry, 1));
  return (this->*Rule.Child)(Record);
}

template <class Rec>
bool TMatroskaReader::ReadContainer(Rec& Record,
                                    std::span<const TElementRule<std::type_identity_t<Rec>>> Rules) {
  TEbmlReader& reader = *EbmlReader;
  ApplyDefaults(Rules, Record);
  TEbmlElement E(&reader);
  while (reader.InElement() && E.ReadHeader() > 0) {
    CheckControl();
    const TElementRule<Rec>* rule = FindRule(Rules, E.ID);
    if (!rule) {
      E.Skip();
    } else if (rule->Quiet) {
      ReadQuietly(E, *rule, Record);
    } else if (rule->Kind == TElementKind::Container) {
      // A failed child stays the innermost open element, so this container's result
      // below is false as well.
      if (!EnterChild(E, *rule, Record)) break;
    } else if (rule->Kind == TElementKind::Custom) {
      (this->*rule->Custom)(E, Record);
    } else {
      ReadRuleValue(E, *rule, Record);
    }
  }
  ApplyFallbacks(Rules, Record);
  return !reader.InElement();
}

template <class List>
bool TMatroskaReader::ReadRecord(List& Records, std::span<const TElementRule<typename List::value_type>> Rules) {
  // The record is read in place at the end of the list and taken off again when it was
  // cut short. Children go into lists of their own, so the record does not move meanwhile.
  auto& record = Records.emplace_back();
  bool complete = false;
  try {
    complete = ReadContainer(record, Rules);
  } catch (...) {
    Records.pop_back();
    throw;
  }
  if (!complete) Records.pop_back();
  return complete;
}

}  // namespace ambrel
