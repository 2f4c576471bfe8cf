// The text form of every node kind. Lines end in CR LF; each nesting level adds one
// space to the indent.
#include "xml/SimpleXml.h"

namespace ambrel {

namespace {
constexpr const char* kCrLf = "\r\n";

void CountSaved(TSimpleXml* document) {
  if (document) document->NotifyNodeSaved();
}
}  // namespace

void TSimpleXmlProp::SaveToStream(std::ostream& Stream) const {
  Stream << ' ';
  if (!Prefix.empty()) Stream << Prefix << ':';
  Stream << Name << "=\"" << EncodeEntities(Value) << '"';
}

void TSimpleXmlProps::SaveToStream(std::ostream& Stream) const {
  for (const TEntry& entry : FItems) entry.Prop->SaveToStream(Stream);
}

void TSimpleXmlElems::SaveToStream(std::ostream& Stream, const std::string& Indent, TSimpleXml* Document) const {
  for (const TEntry& entry : FEntries) entry.Node->SaveToStream(Stream, Indent, Document);
}

void TSimpleXmlElemsProlog::SaveToStream(std::ostream& Stream, const std::string& Indent,
                                         TSimpleXml* Document) const {
  for (const auto& node : FItems) node->SaveToStream(Stream, Indent, Document);
}

void TSimpleXmlElemClassic::SaveToStream(std::ostream& Stream, const std::string& Indent,
                                         TSimpleXml* Document) const {
  CountSaved(Document);
  Stream << Indent << '<' << Name();
  WriteAttributes(Stream);
  if (HasItems()) {
    Stream << '>' << kCrLf;
    ExistingItems()->SaveToStream(Stream, Indent + " ", Document);
    Stream << Indent << "</" << Name() << '>' << kCrLf;
  } else if (!Value.empty()) {
    Stream << '>' << EncodeEntities(Value) << "</" << Name() << '>' << kCrLf;
  } else {
    Stream << "/>" << kCrLf;
  }
}

void TSimpleXmlElemText::SaveToStream(std::ostream& Stream, const std::string& Indent, TSimpleXml* Document) const {
  CountSaved(Document);
  if (!Value.empty()) Stream << Indent << EncodeEntities(Value) << kCrLf;
}

void TSimpleXmlElemComment::SaveToStream(std::ostream& Stream, const std::string& Indent,
                                         TSimpleXml* Document) const {
  CountSaved(Document);
  Stream << Indent << "<!--" << Value << "-->" << kCrLf;
}

void TSimpleXmlElemCData::SaveToStream(std::ostream& Stream, const std::string& Indent, TSimpleXml* Document) const {
  CountSaved(Document);
  Stream << Indent << "<![CDATA[" << Value << "]]>" << kCrLf;
}

void TSimpleXmlElemHeader::SaveToStream(std::ostream& Stream, const std::string& Indent,
                                        TSimpleXml* Document) const {
  CountSaved(Document);
  Stream << Indent << "<?xml version=\"" << Version << '"';
  if (Standalone) Stream << " standalone=\"yes\"";
  if (!Encoding.empty()) Stream << " encoding=\"" << Encoding << '"';
  Stream << "?>" << kCrLf;
}

void TSimpleXmlElemDocType::SaveToStream(std::ostream& Stream, const std::string&, TSimpleXml* Document) const {
  CountSaved(Document);
  Stream << "<!DOCTYPE " << Value << '>' << kCrLf;
}

void TSimpleXmlElemSheet::SaveToStream(std::ostream& Stream, const std::string& Indent, TSimpleXml* Document) const {
  CountSaved(Document);
  Stream << Indent << "<?xml-stylesheet";
  WriteAttributes(Stream);
  Stream << "?>" << kCrLf;
}

}  // namespace ambrel
