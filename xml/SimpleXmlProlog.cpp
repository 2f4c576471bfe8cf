// The prolog and the nodes that only appear there: the declaration, the DOCTYPE and
// the stylesheet instruction.
#include <memory>

#include "xml/XmlCursor.h"

namespace ambrel {

namespace {

const std::string kHeaderError = "Invalid Header";
const std::string kSheetError = "Invalid Stylesheet";

// The "?>" that closes a processing instruction, after its attributes.
void ExpectInstructionEnd(TXmlCursor& in, const std::string& construct) { ExpectXmlBytes(in, "?>", construct); }

// Which prolog node a token begins, or whether it ends the prolog.
enum class TPrologToken { Incomplete, EndOfProlog, Comment, Sheet, Header, DocType };

TPrologToken ClassifyPrologToken(const std::string& token) {
  if (token == "<![CDATA[") return TPrologToken::EndOfProlog;
  if (token == "<!--") return TPrologToken::Comment;
  if (token == "<?xml-stylesheet") return TPrologToken::Sheet;
  if (token == "<?xml ") return TPrologToken::Header;
  if (token == "<!DOCTYPE") return TPrologToken::DocType;
  if (token.size() >= 2 && token[1] != '!' && token[1] != '?') return TPrologToken::EndOfProlog;
  return TPrologToken::Incomplete;
}

std::unique_ptr<TSimpleXmlElem> MakePrologNode(TPrologToken kind) {
  switch (kind) {
    case TPrologToken::Comment: return std::make_unique<TSimpleXmlElemComment>();
    case TPrologToken::Sheet: return std::make_unique<TSimpleXmlElemSheet>();
    case TPrologToken::Header: return std::make_unique<TSimpleXmlElemHeader>();
    case TPrologToken::DocType: return std::make_unique<TSimpleXmlElemDocType>();
    default: return nullptr;
  }
}

}  // namespace

void TSimpleXmlElemsProlog::LoadFromStream(TXmlReadStream& Stream, TSimpleXml* Document) {
  Stream.SetPosition(0);
  const std::string head = Stream.ReadBuffer(2);
  // A UTF-8 byte-order mark is skipped; its third byte is taken on trust.
  const bool bom = static_cast<unsigned char>(head[0]) == 0xEF && static_cast<unsigned char>(head[1]) == 0xBB;
  Stream.SetPosition(bom ? 3 : 0);

  TXmlCursor in(Stream, Document);
  std::string token;
  size_t tokenStart = 0;
  unsigned char b;
  while (in.Next(b)) {
    if (token.empty()) {
      if (IsXmlBlank(b)) continue;
      if (b != '<') throw TSimpleXmlInvalid("Invalid Document: Unexpected text in file prolog.");
      token.assign(1, '<');
      tokenStart = in.Last();
      continue;
    }
    token += static_cast<char>(b);
    const TPrologToken kind = ClassifyPrologToken(token);
    if (kind == TPrologToken::Incomplete) continue;
    Stream.SetPosition(tokenStart);
    if (kind == TPrologToken::EndOfProlog) return;
    std::unique_ptr<TSimpleXmlElem> node = MakePrologNode(kind);
    node->LoadFromStream(Stream, nullptr);
    FItems.push_back(std::move(node));
    token.clear();
    in.Resume();
  }
}

void TSimpleXmlElemHeader::LoadFromStream(TXmlReadStream& Stream, TSimpleXml* Document) {
  TXmlCursor in(Stream, Document);
  ExpectXmlBytes(in, "<?xml", kHeaderError);
  TSimpleXmlProps& props = Properties();
  props.LoadFromStream(Stream);
  in.Resume();
  // A parsed declaration keeps no attributes; a missing one leaves its field empty.
  Version = props.PropertyValue("version", "");
  Encoding = props.PropertyValue("encoding", "");
  Standalone = props.PropertyValue("standalone", "") == "yes";
  props.Clear();
  ExpectInstructionEnd(in, kHeaderError);
}

void TSimpleXmlElemDocType::LoadFromStream(TXmlReadStream& Stream, TSimpleXml* Document) {
  TXmlCursor in(Stream, Document);
  ExpectXmlBytes(in, "<!DOCTYPE", kHeaderError);
  // One level of brackets: a '>' inside an internal subset belongs to the body.
  std::string body;
  unsigned char terminator = '>';
  unsigned char b;
  while (in.Next(b)) {
    if (b == terminator && terminator == '>') {
      Value = std::string(TrimBlank(body));
      if (Document) Document->NotifyValueParsed("", body);
      return;
    }
    if (b == terminator) {
      terminator = '>';
    } else if (b == '[') {
      terminator = ']';
    }
    body += static_cast<char>(b);
  }
  throw TSimpleXmlInvalid(kHeaderError + ": Unexpected end of data");
}

void TSimpleXmlElemSheet::LoadFromStream(TXmlReadStream& Stream, TSimpleXml* Document) {
  TXmlCursor in(Stream, Document);
  ExpectXmlBytes(in, "<?xml-stylesheet", kSheetError);
  Properties().LoadFromStream(Stream);
  in.Resume();
  ExpectInstructionEnd(in, kSheetError);
}

}  // namespace ambrel
