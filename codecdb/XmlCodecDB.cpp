#include "codecdb/XmlCodecDB.h"

#include <cstdio>

#include "xml/XmlSnapshot.h"

namespace ambrel {

namespace {

// Whether the child list named listName of filter holds a child whose value is key.
bool FilterListHolds(const TSimpleXmlElem* filter, const std::string& listName, const std::string& key) {
  if (!filter) return false;
  const TSimpleXmlElem* list = filter->Items().FindItem(listName);
  if (!list) return false;
  const TSimpleXmlElems& entries = list->Items();
  for (int i = 0; i < entries.Count(); ++i) {
    if (entries.Item(i)->Value == key) return true;
  }
  return false;
}

}  // namespace

TXmlCodecDB::TXmlCodecDB() : FXml(std::make_unique<TSimpleXml>()) {}

bool TXmlCodecDB::RootIsCodecDB() const {
  return FTable ? FTable->RootIsCodecDB() : Tree().Root().Name() == "codecdb";
}

std::string TXmlCodecDB::NotCodecDBMessage() const {
  return "not a codec database: the root element is \"" + Tree().Root().Name() + "\", not \"codecdb\"";
}

const TSimpleXml& TXmlCodecDB::Tree() const {
  if (FTreeOnce) {
    std::call_once(*FTreeOnce, [this] { LoadXmlSnapshot(*FXml, FPendingSnapshot); });
  }
  return *FXml;
}

const TSimpleXml& TXmlCodecDB::Document() const { return Tree(); }

TSimpleXml& TXmlCodecDB::Document() {
  Tree();
  FTable.reset();
  return *FXml;
}

bool TXmlCodecDB::LoadFromFile(const std::string& FileName) {
  FTable.reset();
  FTreeOnce.reset();
  FXml->LoadFromFile(FileName);
  return RootIsCodecDB();
}

bool TXmlCodecDB::LoadFromStream(TXmlReadStream& Stream) {
  FTable.reset();
  FTreeOnce.reset();
  FXml->LoadFromStream(Stream);
  return RootIsCodecDB();
}

bool TXmlCodecDB::LoadFromString(std::string_view Data) {
  TXmlReadStream stream(Data);
  return LoadFromStream(stream);
}

bool TXmlCodecDB::LoadFromSnapshot(std::string_view Snapshot) {
  FTable.reset();
  FTreeOnce.reset();
  LoadXmlSnapshot(*FXml, Snapshot);
  return RootIsCodecDB();
}

bool TXmlCodecDB::LoadFromTables(std::string_view Snapshot, std::string_view FilterTable) {
  FTable.reset();
  FTreeOnce.reset();
  FXml->Root().Clear();
  FXml->Prolog().Clear();
  auto table = std::make_unique<TCodecFilterTable>();
  table->Load(FilterTable);
  FTable = std::move(table);
  FPendingSnapshot = Snapshot;
  FTreeOnce = std::make_unique<std::once_flag>();
  return RootIsCodecDB();
}

void TXmlCodecDB::FindFirstFilter(const std::string& CodecID, const std::string& Fourcc,
                                  TCodecFilterMatch& Match) const {
  Match.Found = false;
  Match.CodecID = CodecID;
  Match.Fourcc = Fourcc;
  Match.Codecs = nullptr;
  Match.NextCodec = 0;
  const TSimpleXml& tree = Tree();
  if (tree.Root().Name() != "codecdb") return;
  const TSimpleXmlElem* codecs = tree.Root().Items().FindItem("codecs");
  if (!codecs) return;
  Match.Codecs = &codecs->Items();
  FindNextFilter(Match);
}

void TXmlCodecDB::FindNextFilter(TCodecFilterMatch& Match) const {
  Match.Found = false;
  if (!Match.Codecs) return;
  const bool byFourcc = Match.CodecID == kVfwCodecID;
  const bool byFormatTag = Match.CodecID == kAcmCodecID;
  // The cursor moves on also after a hit, so that the next call resumes with the
  // following entry.
  while (!Match.Found && Match.NextCodec < Match.Codecs->Count()) {
    TSimpleXmlElem* codec = Match.Codecs->Item(Match.NextCodec++);
    if (const TSimpleXmlElem* filters = codec->Items().FindItem("filters")) {
      const TSimpleXmlElems& list = filters->Items();
      for (int i = 0; i < list.Count() && !Match.Found; ++i) {
        TSimpleXmlElem* filter = list.Item(i);
        if (byFourcc ? FilterHasFourcc(filter, Match.Fourcc)
                     : FilterHasMatroskaId(filter, Match.CodecID) &&
                           (!byFormatTag || FilterTakesFormatTag(filter, Match.Fourcc))) {
          Match.Found = true;
          Match.Codec = codec;
          Match.Filter = filter;
        }
      }
    }
  }
}

void TXmlCodecDB::FindProposals(const std::string& CodecID, const std::string& Fourcc,
                                std::vector<TCodecProposal>& Out) const {
  Out.clear();
  if (FTable) return FTable->Find(CodecID, Fourcc, Out);
  TCodecFilterMatch match;
  for (FindFirstFilter(CodecID, Fourcc, match); match.Found; FindNextFilter(match)) {
    Out.push_back({GetChildValue(match.Codec, "name"), match.Filter->Properties().PropertyValue("guid", ""),
                   GetChildValue(match.Codec, "installcomments"), GetChildValue(match.Codec, "url")});
  }
}

std::string GetChildValue(const TSimpleXmlElem* Element, const std::string& Name) {
  if (!Element) return "";
  const TSimpleXmlElem* child = Element->Items().FindItem(Name);
  return child ? child->Value : "";
}

bool FilterHasFourcc(const TSimpleXmlElem* Filter, const std::string& Fourcc) {
  return FilterListHolds(Filter, "fourccs", Fourcc);
}

bool FilterHasMatroskaId(const TSimpleXmlElem* Filter, const std::string& CodecID) {
  return FilterListHolds(Filter, "matroskaids", CodecID);
}

bool FilterTakesFormatTag(const TSimpleXmlElem* Filter, const std::string& Tag) {
  if (!Filter || !Filter->Items().FindItem("wFormatTags")) return true;
  return FilterListHolds(Filter, "wFormatTags", Tag);
}

std::string WaveFormatTagText(uint32_t Tag) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(Tag & 0xFFFF));
  return text;
}

TSimpleXmlElem* NextSibling(TSimpleXmlElem* Element) {
  if (!Element || !Element->Parent()) return nullptr;
  TSimpleXmlElems& siblings = Element->Parent()->Items();
  const int at = siblings.IndexOf(Element);
  if (at < 0) return nullptr;
  return siblings.Item(at + 1);
}

}  // namespace ambrel
