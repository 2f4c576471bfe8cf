// Ordinary elements, their child lists, their attributes and the text between tags.
#include <memory>

#include "xml/XmlCursor.h"

namespace ambrel {

namespace {

bool IsAsciiLetterOrDigit(unsigned char b) {
  return IsAsciiLetter(static_cast<char>(b)) || IsAsciiDigit(static_cast<char>(b));
}

bool IsAttributeNameByte(unsigned char b) { return IsAsciiLetterOrDigit(b) || b == '-' || b == '_'; }

// The bytes that end a run of name bytes in a tag.
bool IsTagNameEnd(unsigned char b) { return IsXmlBlank(b) || b == ':' || b == '/' || b == '>'; }

[[noreturn]] void ThrowPropertiesError(unsigned char b) {
  throw TSimpleXmlInvalid("Invalid XML Element: Unexpected character in properties declaration (" + ByteText(b) +
                          " found).");
}

// Keeps the count of open elements within kMaxXmlNestingDepth.
class TNestingGuard {
 public:
  explicit TNestingGuard(TXmlReadStream& stream) : FStream(stream) {
    if (FStream.Depth >= kMaxXmlNestingDepth) {
      throw TSimpleXmlInvalid("Invalid XML Element: Elements nested deeper than " +
                              std::to_string(kMaxXmlNestingDepth) + " levels");
    }
    ++FStream.Depth;
  }
  ~TNestingGuard() { --FStream.Depth; }
  TNestingGuard(const TNestingGuard&) = delete;
  TNestingGuard& operator=(const TNestingGuard&) = delete;

 private:
  TXmlReadStream& FStream;
};

// The lone text a text node takes from Span: runs of spaces shrink to one before the
// references are decoded.
std::string TextNodeValue(std::string_view span) {
  std::string text;
  if (span.find("  ") == std::string_view::npos) {
    text.assign(span);
  } else {
    text.reserve(span.size());
    for (char c : span) {
      if (c == ' ' && !text.empty() && text.back() == ' ') continue;
      text += c;
    }
  }
  DecodeEntities(text, true);
  return text;
}

// Reads the content of the commonest elements, "text</name>" or "</name>" (blanks
// before either), at once: Value is what the lone text child would have given the
// element, ClosingName the closing tag's name. False, with nothing read, for any other
// content (children, or data that ends first), which the child list then reads.
bool LoadLeafContent(TXmlReadStream& stream, std::string& value, std::string& closingName) {
  const std::string_view data = stream.Data();
  size_t at = stream.Position();
  while (at < data.size() && IsXmlBlank(static_cast<unsigned char>(data[at]))) ++at;
  const size_t lt = data.find('<', at);
  if (lt == std::string_view::npos || lt + 1 >= data.size() || data[lt + 1] != '/') return false;
  const size_t gt = data.find('>', lt + 2);
  if (gt == std::string_view::npos) return false;
  value = lt > at ? TextNodeValue(data.substr(at, lt - at)) : std::string();
  closingName.assign(data.substr(lt + 2, gt - lt - 2));
  stream.SetPosition(gt + 1);
  return true;
}

}  // namespace

void TSimpleXmlProps::LoadFromStream(TXmlReadStream& Stream) {
  enum class TState { Between, Name, Equals, Value };
  TXmlCursor in(Stream, nullptr);
  TState state = TState::Between;
  std::string name, prefix, value;
  unsigned char quote = 0;
  unsigned char b;
  while (in.Next(b)) {
    switch (state) {
      case TState::Between:
        if (IsXmlBlank(b)) break;
        if (b == '/' || b == '>' || b == '?') {
          Stream.SetPosition(in.Last());
          return;
        }
        if (!IsAttributeNameByte(b)) ThrowPropertiesError(b);
        name.assign(1, static_cast<char>(b));
        prefix.clear();
        state = TState::Name;
        break;
      case TState::Name:
        if (IsAttributeNameByte(b)) {
          name += static_cast<char>(b);
        } else if (b == ':') {
          prefix = name;
          name.clear();
        } else if (b == '=') {
          state = TState::Equals;
        } else {
          ThrowPropertiesError(b);
        }
        break;
      case TState::Equals:
        if (b != '"' && b != '\'') {
          throw TSimpleXmlInvalid(
              "Invalid XML Element: Unexpected character in property declaration. Expecting \" or ' but " +
              ByteText(b) + " found.");
        }
        quote = b;
        // The value's bytes up to the closing quote, which the next turn takes.
        value.assign(in.TakeWhile([quote](unsigned char c) { return c != quote; }));
        state = TState::Value;
        break;
      case TState::Value:
        if (b != quote) {
          value += static_cast<char>(b);
          break;
        }
        DecodeEntities(value, false);
        Add(name, value)->Prefix = prefix;
        state = TState::Between;
        break;
    }
  }
}

void TSimpleXmlElemText::LoadFromStream(TXmlReadStream& Stream, TSimpleXml* Document) {
  TXmlCursor in(Stream, Document);
  const std::string_view span = in.TakeWhile([](unsigned char b) { return b != '<'; });
  unsigned char b;
  if (in.Next(b)) Stream.SetPosition(in.Last());  // the '<' that ends the text stays unread
  Value = TextNodeValue(span);
  if (Document) Document->NotifyValueParsed("", Value);
}

std::string TSimpleXmlElems::LoadFromStream(TXmlReadStream& Stream, TSimpleXml* Document) {
  enum class TState { Between, Opener, EndTag };
  TXmlCursor in(Stream, Document);
  TState state = TState::Between;
  std::string token;
  size_t tokenStart = 0;
  std::string closingName;
  unsigned char b;
  while (in.Next(b)) {
    std::unique_ptr<TSimpleXmlElem> node;
    switch (state) {
      case TState::Between:
        if (IsXmlBlank(b)) {
          in.TakeWhile(IsXmlBlank);
          break;
        }
        if (b == '<') {
          token.assign(1, '<');
          tokenStart = in.Last();
          state = TState::Opener;
          break;
        }
        tokenStart = in.Last();
        node = std::make_unique<TSimpleXmlElemText>(FOwner);
        break;
      case TState::Opener:
        if (b == '/' && token == "<") {
          token.clear();
          state = TState::EndTag;
          break;
        }
        token += static_cast<char>(b);
        if (b == ' ' || b == ':' || b == '>' || b == '/') {
          node = std::make_unique<TSimpleXmlElemClassic>(FOwner);
        } else if (token.size() == 9 && token == "<![CDATA[") {
          node = std::make_unique<TSimpleXmlElemCData>(FOwner);
        } else if (token.size() == 4 && token == "<!--") {
          node = std::make_unique<TSimpleXmlElemComment>(FOwner);
        }
        break;
      case TState::EndTag:
        if (b == '>') return closingName;
        closingName += static_cast<char>(b);
        break;
    }
    if (node) {
      Stream.SetPosition(tokenStart);
      node->LoadFromStream(Stream, nullptr);
      Add(std::move(node));
      token.clear();
      state = TState::Between;
      in.Resume();
    }
  }
  return "";
}

void TSimpleXmlElemClassic::LoadFromStream(TXmlReadStream& Stream, TSimpleXml* Document) {
  enum class TState { Start, Tag, Close, Done };
  TXmlCursor in(Stream, Document);
  TState state = TState::Start;
  std::string name, prefix;
  std::string qualifiedName;  // every name byte and ':' of the tag, as a closing tag repeats it
  std::string tagName;
  bool nameByteSeen = false;
  std::string value;
  unsigned char b;
  while (state != TState::Done && in.Next(b)) {
    switch (state) {
      case TState::Start:
        if (b != '<') {
          throw TSimpleXmlInvalid("Invalid XML Element: Expected beginning of tag but " + ByteText(b) + " found.");
        }
        state = TState::Tag;
        break;
      case TState::Tag:
        if (IsXmlBlank(b)) {
          if (!nameByteSeen) throw TSimpleXmlInvalid("Invalid XML Element: Malformed tag found (no valid name)");
          Properties().LoadFromStream(Stream);
          in.Resume();
        } else if (b == ':') {
          prefix = name;
          name.clear();
          qualifiedName += ':';
        } else if (b == '/') {
          tagName = name;
          state = TState::Close;
        } else if (b == '>') {
          tagName = name;
          std::string closingName;
          {
            TNestingGuard guard(Stream);
            // Loads that report their progress read every byte through the cursor.
            if (Document || !LoadLeafContent(Stream, value, closingName)) {
              closingName = Items().LoadFromStream(Stream, Document);
            }
          }
          in.Resume();
          if (closingName != qualifiedName) {
            throw TSimpleXmlInvalid("Invalid XML Element: Erroneous end of tag, expecting </" + qualifiedName +
                                    "> but </" + closingName + "> found.");
          }
          TSimpleXmlElems& items = Items();
          if (items.Count() == 1 && items.Item(0)->Kind() == TSimpleXmlKind::Text) {
            value = std::move(items.Item(0)->Value);
            items.Clear();
          }
          state = TState::Done;
        } else {
          // This name byte and the ones that follow it.
          const std::string_view rest = in.TakeWhile([](unsigned char c) { return !IsTagNameEnd(c); });
          name += static_cast<char>(b);
          name += rest;
          qualifiedName += static_cast<char>(b);
          qualifiedName += rest;
          nameByteSeen = true;
        }
        break;
      case TState::Close:
        if (b != '>') {
          throw TSimpleXmlInvalid("Invalid XML Element: Expected end of tag but " + ByteText(b) + " found.");
        }
        state = TState::Done;
        break;
      case TState::Done:
        break;
    }
  }
  SetName(tagName);
  Value = std::move(value);
  Prefix = std::move(prefix);
  if (Document) {
    Document->NotifyTagParsed(Name());
    Document->NotifyValueParsed(Name(), Value);
  }
}

}  // namespace ambrel
