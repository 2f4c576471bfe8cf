#include "codecdb/XmlCodecDB.h"

namespace ambrel {

namespace {

const std::string kVfwCodecID = "V_MS/VFW/FOURCC";

// Whether the child list named listName of filter holds a child whose value is key.
bool FilterListHolds(TSimpleXmlElem* filter, const std::string& listName, const std::string& key) {
  if (!filter) return false;
  TSimpleXmlElem* list = filter->Items().FindItem(listName);
  if (!list) return false;
  TSimpleXmlElems& entries = list->Items();
  for (int i = 0; i < entries.Count(); ++i) {
    if (entries.Item(i)->Value == key) return true;
  }
  return false;
}

}  // namespace

TXmlCodecDB::TXmlCodecDB() : FXml(std::make_unique<TSimpleXml>()) {}

bool TXmlCodecDB::RootIsCodecDB() { return FXml->Root().Name() == "codecdb"; }

bool TXmlCodecDB::LoadFromFile(const std::string& FileName) {
  FCurrentCodec = nullptr;
  FXml->LoadFromFile(FileName);
  return RootIsCodecDB();
}

bool TXmlCodecDB::LoadFromStream(TXmlReadStream& Stream) {
  FCurrentCodec = nullptr;
  FXml->LoadFromStream(Stream);
  return RootIsCodecDB();
}

bool TXmlCodecDB::LoadFromString(std::string_view Data) {
  TXmlReadStream stream(Data);
  return LoadFromStream(stream);
}

void TXmlCodecDB::FindFirstFilter(const std::string& CodecID, const std::string& Fourcc, TCodecFilterMatch& Match) {
  FCurrentCodec = nullptr;
  Match.Found = false;
  FCodecID = CodecID;
  FFourcc = Fourcc;
  if (!RootIsCodecDB()) return;
  TSimpleXmlElem* codecs = FXml->Root().Items().FindItem("codecs");
  if (!codecs || codecs->Items().Count() == 0) return;
  FCurrentCodec = codecs->Items().Item(0);
  FindNextFilter(Match);
}

void TXmlCodecDB::FindNextFilter(TCodecFilterMatch& Match) {
  Match.Found = false;
  const bool byFourcc = FCodecID == kVfwCodecID;
  while (!Match.Found && FCurrentCodec) {
    if (TSimpleXmlElem* filters = FCurrentCodec->Items().FindItem("filters")) {
      TSimpleXmlElems& list = filters->Items();
      for (int i = 0; i < list.Count() && !Match.Found; ++i) {
        TSimpleXmlElem* filter = list.Item(i);
        if (byFourcc ? FilterHasFourcc(filter, FFourcc) : FilterHasMatroskaId(filter, FCodecID)) {
          Match.Found = true;
          Match.Codec = FCurrentCodec;
          Match.Filter = filter;
        }
      }
    }
    // Also after a hit, so that the next call resumes with the following entry.
    FCurrentCodec = NextSibling(FCurrentCodec);
  }
}

std::string GetChildValue(TSimpleXmlElem* Element, const std::string& Name) {
  if (!Element) return "";
  TSimpleXmlElem* child = Element->Items().FindItem(Name);
  return child ? child->Value : "";
}

bool FilterHasFourcc(TSimpleXmlElem* Filter, const std::string& Fourcc) {
  return FilterListHolds(Filter, "fourccs", Fourcc);
}

bool FilterHasMatroskaId(TSimpleXmlElem* Filter, const std::string& CodecID) {
  return FilterListHolds(Filter, "matroskaids", CodecID);
}

TSimpleXmlElem* NextSibling(TSimpleXmlElem* Element) {
  if (!Element || !Element->Parent()) return nullptr;
  TSimpleXmlElems& siblings = Element->Parent()->Items();
  const int at = siblings.IndexOf(Element);
  if (at < 0) return nullptr;
  return siblings.Item(at + 1);
}

}  // namespace ambrel
