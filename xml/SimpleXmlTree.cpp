// The element tree: nodes, child and attribute lists, named lookups and the document.
#include <sstream>

#include "xml/SimpleXml.h"

namespace ambrel {

std::string XmlErrorMessage(const std::exception& Error) {
  if (const auto* invalid = dynamic_cast<const TSimpleXmlInvalid*>(&Error)) return invalid->Message();
  return Error.what();
}

// ---- attributes

TSimpleXmlProp* TSimpleXmlProps::Add(const std::string& Name, const std::string& Value) {
  auto prop = std::make_unique<TSimpleXmlProp>();
  prop->Name = Name;
  prop->Value = Value;
  prop->Parent = this;
  FItems.push_back({Name, std::move(prop)});
  FIndex.Added(FItems.size(), [this](size_t i) -> const std::string& { return FItems[i].Key; });
  return FItems.back().Prop.get();
}

TSimpleXmlProp* TSimpleXmlProps::Item(int Index) const {
  if (Index < 0 || Index >= Count()) return nullptr;
  return FItems[static_cast<size_t>(Index)].Prop.get();
}

TSimpleXmlProp* TSimpleXmlProps::FindProperty(const std::string& Name) const {
  const int at = FIndex.Find(Name, FItems.size(), [this](size_t i) -> const std::string& { return FItems[i].Key; });
  return at < 0 ? nullptr : FItems[static_cast<size_t>(at)].Prop.get();
}

std::string TSimpleXmlProps::PropertyValue(const std::string& Name, const std::string& Default) const {
  const TSimpleXmlProp* prop = FindProperty(Name);
  return prop ? prop->Value : Default;
}

void TSimpleXmlProps::Clear() {
  FItems.clear();
  FIndex.Clear();
}

// ---- child lists

TSimpleXmlElem* TSimpleXmlElems::Item(int Index) const {
  if (Index < 0 || Index >= Count()) return nullptr;
  return FEntries[static_cast<size_t>(Index)].Node.get();
}

TSimpleXmlElem* TSimpleXmlElems::FindItem(const std::string& Name) const {
  const int at = FIndex.Find(Name, FEntries.size(), [this](size_t i) -> const std::string& { return FEntries[i].Key; });
  return at < 0 ? nullptr : FEntries[static_cast<size_t>(at)].Node.get();
}

int TSimpleXmlElems::IndexOf(const TSimpleXmlElem* Node) const {
  for (size_t i = 0; i < FEntries.size(); ++i) {
    if (FEntries[i].Node.get() == Node) return static_cast<int>(i);
  }
  return -1;
}

void TSimpleXmlElems::Clear() {
  // Nodes are cleared before they are freed, in list order; freeing cannot fail here.
  for (TEntry& entry : FEntries) {
    entry.Node->Clear();
    entry.Node.reset();
  }
  FEntries.clear();
  FIndex.Clear();
}

TSimpleXmlElem* TSimpleXmlElems::Add(std::unique_ptr<TSimpleXmlElem> Node) {
  std::string key = Node->Name();
  if (FEntries.empty()) FEntries.reserve(4);  // an element with children mostly has a few
  FEntries.push_back({std::move(key), std::move(Node)});
  FIndex.Added(FEntries.size(), [this](size_t i) -> const std::string& { return FEntries[i].Key; });
  return FEntries.back().Node.get();
}

void TSimpleXmlElems::Rekey(const TSimpleXmlElem* Node, const std::string& Key) {
  const int at = IndexOf(Node);
  if (at < 0) return;
  FEntries[static_cast<size_t>(at)].Key = Key;
  FIndex.Rebuild(FEntries.size(), [this](size_t i) -> const std::string& { return FEntries[i].Key; });
}

// ---- nodes

TSimpleXmlElem::TSimpleXmlElem(TSimpleXmlElem* Parent)
    : FParent(Parent), FItems(this) {}

TSimpleXmlElem::~TSimpleXmlElem() = default;

void TSimpleXmlElem::SetName(const std::string& NewName) {
  if (NewName.empty() || NewName == FName) return;
  if (FParent && !FName.empty()) FParent->Items().Rekey(this, NewName);
  FName = NewName;
}

void TSimpleXmlElem::Clear() {
  FItems.Clear();
  FProperties.Clear();
}

std::string TSimpleXmlElem::SaveToString() const {
  std::ostringstream text;
  SaveToStream(text, "", nullptr);
  return std::move(text).str();
}

void TSimpleXmlElem::WriteAttributes(std::ostream& Stream) const {
  FProperties.SaveToStream(Stream);
}

TSimpleXmlElem* TSimpleXmlElemsProlog::Item(int Index) const {
  if (Index < 0 || Index >= Count()) return nullptr;
  return FItems[static_cast<size_t>(Index)].get();
}

// ---- document

TSimpleXml::TSimpleXml() : FRoot(nullptr) {}

void TSimpleXml::SetFileName(const std::string& Value) {
  FFileName = Value;
  LoadFromFile(Value);
}

void TSimpleXml::LoadFromFile(const std::string& FileName) {
  const std::string bytes = ReadWholeFile(FileName);
  TXmlReadStream stream(bytes);
  LoadFromStream(stream);
}

void TSimpleXml::LoadFromString(std::string_view Data) {
  TXmlReadStream stream(Data);
  LoadFromStream(stream);
}

void TSimpleXml::LoadFromStream(TXmlReadStream& Stream) {
  FRoot.Clear();
  FProlog.Clear();
  Stream.Depth = 0;
  if (OnLoadProgress) {
    NotifyLoadProgress(Stream.Position(), Stream.Size());
    FProlog.LoadFromStream(Stream, this);
    FRoot.LoadFromStream(Stream, this);
    NotifyLoadProgress(Stream.Position(), Stream.Size());
  } else {
    TSimpleXml* document = (OnTagParsed || OnValueParsed) ? this : nullptr;
    FProlog.LoadFromStream(Stream, document);
    FRoot.LoadFromStream(Stream, document);
  }
}

namespace {
int CountNodes(const TSimpleXmlElem& node) {
  int count = 1;
  if (const TSimpleXmlElems* items = node.ExistingItems()) {
    for (int i = 0; i < items->Count(); ++i) count += CountNodes(*items->Item(i));
  }
  return count;
}
}  // namespace

void TSimpleXml::SaveToStream(std::ostream& Stream) {
  FSavedNodes = 0;
  FNodesToSave = FProlog.Count() + CountNodes(FRoot);
  FProlog.SaveToStream(Stream, "", this);
  FRoot.SaveToStream(Stream, "", this);
}

void TSimpleXml::NotifyLoadProgress(size_t Position, size_t Total) {
  if (OnLoadProgress) OnLoadProgress(this, static_cast<int>(Position), static_cast<int>(Total));
}

void TSimpleXml::NotifyTagParsed(const std::string& Name) {
  if (OnTagParsed) OnTagParsed(this, Name);
}

void TSimpleXml::NotifyValueParsed(const std::string& Name, const std::string& Value) {
  if (OnValueParsed) OnValueParsed(this, Name, Value);
}

void TSimpleXml::NotifyNodeSaved() {
  ++FSavedNodes;
  if (OnSaveProgress) OnSaveProgress(this, FSavedNodes, FNodesToSave);
}

}  // namespace ambrel
