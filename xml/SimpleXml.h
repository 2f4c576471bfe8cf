// The XML document model: a document with a prolog and one root element, a tree of
// typed nodes with child and attribute lists, the parser that fills it from bytes and
// the writer that turns it back into text. All text is 8-bit, stored as read.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/TextUtil.h"
#include "xml/XmlStream.h"

namespace ambrel {

class TSimpleXml;
class TSimpleXmlElem;
class TSimpleXmlElems;
class TSimpleXmlProps;

// Deepest element nesting the parser accepts; deeper input is a parse error.
inline constexpr int kMaxXmlNestingDepth = 256;

// A syntax error found by the parser; the message names the construct that failed.
// The message may quote any byte of the input, a NUL included, so what() (which stops
// at the first NUL) can be short: Message() is the whole text.
class TSimpleXmlInvalid : public std::runtime_error {
 public:
  explicit TSimpleXmlInvalid(const std::string& Message)
      : std::runtime_error(Message), FMessage(std::make_shared<const std::string>(Message)) {}
  const std::string& Message() const { return *FMessage; }

 private:
  std::shared_ptr<const std::string> FMessage;  // shared so that copying cannot throw
};

// The whole message of a failure raised while loading a document: Message() for a
// parse error, what() for anything else.
std::string XmlErrorMessage(const std::exception& Error);

// Keyed lookup shared by the child and attribute lists: keys compare ignoring ASCII
// case, and among equal keys the one at the highest position wins. A short list is
// searched from its end; a list that grows past kLinearLimit entries gets a hash index,
// kept up to date as entries are added. Either way a lookup only reads: a loaded
// document can be searched from several threads at once.
class TXmlNameIndex {
 public:
  static constexpr size_t kLinearLimit = 8;

  void Clear() { FPositions.reset(); }
  // Records the key of the entry just added at position Count - 1; KeyAt(i) is the key
  // of the entry at position i.
  template <typename KeyAt>
  void Added(size_t Count, KeyAt keyAt) {
    if (Count <= kLinearLimit) return;
    if (Count == kLinearLimit + 1) {
      for (size_t i = 0; i + 1 < Count; ++i) Put(keyAt(i), static_cast<int>(i));
    }
    Put(keyAt(Count - 1), static_cast<int>(Count - 1));
  }
  template <typename KeyAt>
  void Rebuild(size_t Count, KeyAt keyAt) {
    FPositions.reset();
    if (Count <= kLinearLimit) return;
    for (size_t i = 0; i < Count; ++i) Put(keyAt(i), static_cast<int>(i));
  }
  // Position of the last key equal to Name ignoring case among Count keys, or -1.
  template <typename KeyAt>
  int Find(std::string_view Name, size_t Count, KeyAt keyAt) const {
    if (Count <= kLinearLimit) {
      for (size_t i = Count; i-- > 0;) {
        if (ambrel::SameTextAscii(keyAt(i), Name)) return static_cast<int>(i);
      }
      return -1;
    }
    const auto found = FPositions->find(ambrel::AsciiUpper(Name));
    return found == FPositions->end() ? -1 : found->second;
  }

 private:
  void Put(std::string_view Key, int Position) {
    if (!FPositions) FPositions = std::make_unique<std::unordered_map<std::string, int>>();
    FPositions->insert_or_assign(ambrel::AsciiUpper(Key), Position);
  }

  // Made when the list grows past kLinearLimit: most lists never need it.
  std::unique_ptr<std::unordered_map<std::string, int>> FPositions;
};

// One attribute.
class TSimpleXmlProp {
 public:
  std::string Name;
  std::string Value;  // decoded text
  TSimpleXmlProps* Parent = nullptr;
  std::string Prefix;  // text before ':' in the qualified name, empty otherwise

  void SaveToStream(std::ostream& Stream) const;
};

// The attribute list of one element; owns its attributes; duplicates allowed.
class TSimpleXmlProps {
 public:
  TSimpleXmlProp* Add(const std::string& Name, const std::string& Value);
  int Count() const { return static_cast<int>(FItems.size()); }
  // Null when Index is Count or more.
  TSimpleXmlProp* Item(int Index) const;
  TSimpleXmlProp* FindProperty(const std::string& Name) const;
  std::string PropertyValue(const std::string& Name, const std::string& Default) const;
  void Clear();

  // Reads attributes up to the '/', '>' or '?' that ends them (left unread).
  void LoadFromStream(TXmlReadStream& Stream);
  void SaveToStream(std::ostream& Stream) const;

 private:
  // Each attribute with its name as added, which lookups go by.
  struct TEntry {
    std::string Key;
    std::unique_ptr<TSimpleXmlProp> Prop;
  };
  std::vector<TEntry> FItems;
  TXmlNameIndex FIndex;
};

// The child list of one element; owns its nodes, each keyed by its name when added.
class TSimpleXmlElems {
 public:
  explicit TSimpleXmlElems(TSimpleXmlElem* Owner) : FOwner(Owner) {}
  TSimpleXmlElem* Owner() const { return FOwner; }

  int Count() const { return static_cast<int>(FEntries.size()); }
  // Null when Index is Count or more.
  TSimpleXmlElem* Item(int Index) const;
  TSimpleXmlElem* FindItem(const std::string& Name) const;
  int IndexOf(const TSimpleXmlElem* Node) const;
  void Clear();
  TSimpleXmlElem* Add(std::unique_ptr<TSimpleXmlElem> Node);
  // Makes room for Count entries in all, when the final count is known ahead.
  void Reserve(size_t Count) { FEntries.reserve(Count); }
  // Gives the entry holding Node a new key.
  void Rekey(const TSimpleXmlElem* Node, const std::string& Key);

  // Reads children up to and including the closing tag; returns the closing tag's
  // name, empty when the data ended before one was found.
  std::string LoadFromStream(TXmlReadStream& Stream, TSimpleXml* Document);
  void SaveToStream(std::ostream& Stream, const std::string& Indent, TSimpleXml* Document) const;

 private:
  struct TEntry {
    std::string Key;
    std::unique_ptr<TSimpleXmlElem> Node;
  };
  TSimpleXmlElem* FOwner;
  std::vector<TEntry> FEntries;
  TXmlNameIndex FIndex;
};

enum class TSimpleXmlKind { Classic, Text, Comment, CData, Header, DocType, Sheet };

// A node of the tree. Every kind has a child list and an attribute list, both created
// empty with the node, so that reading a node never changes it.
class TSimpleXmlElem {
 public:
  explicit TSimpleXmlElem(TSimpleXmlElem* Parent = nullptr);
  virtual ~TSimpleXmlElem();
  TSimpleXmlElem(const TSimpleXmlElem&) = delete;
  TSimpleXmlElem& operator=(const TSimpleXmlElem&) = delete;

  virtual TSimpleXmlKind Kind() const = 0;

  const std::string& Name() const { return FName; }
  // An empty or unchanged name changes nothing; otherwise the entry in the parent's
  // child list follows the new name.
  void SetName(const std::string& NewName);
  TSimpleXmlElem* Parent() const { return FParent; }

  TSimpleXmlElems& Items() { return FItems; }
  const TSimpleXmlElems& Items() const { return FItems; }
  TSimpleXmlProps& Properties() { return FProperties; }
  const TSimpleXmlProps& Properties() const { return FProperties; }
  bool HasItems() const { return FItems.Count() > 0; }
  bool HasProperties() const { return FProperties.Count() > 0; }
  // The lists (never null).
  const TSimpleXmlElems* ExistingItems() const { return &FItems; }
  const TSimpleXmlProps* ExistingProperties() const { return &FProperties; }

  std::string Value;
  std::string Prefix;

  // Frees all children and attributes; name, value and prefix stay.
  virtual void Clear();
  virtual void LoadFromStream(TXmlReadStream& Stream, TSimpleXml* Document) = 0;
  virtual void SaveToStream(std::ostream& Stream, const std::string& Indent, TSimpleXml* Document) const = 0;
  // The node's text form, written with an empty indent.
  std::string SaveToString() const;

 protected:
  void WriteAttributes(std::ostream& Stream) const;

 private:
  std::string FName;
  TSimpleXmlElem* FParent;
  TSimpleXmlElems FItems;
  TSimpleXmlProps FProperties;
};

// An ordinary element with tag, attributes and children.
class TSimpleXmlElemClassic : public TSimpleXmlElem {
 public:
  using TSimpleXmlElem::TSimpleXmlElem;
  TSimpleXmlKind Kind() const override { return TSimpleXmlKind::Classic; }
  void LoadFromStream(TXmlReadStream& Stream, TSimpleXml* Document) override;
  void SaveToStream(std::ostream& Stream, const std::string& Indent, TSimpleXml* Document) const override;
};

// Text between tags.
class TSimpleXmlElemText : public TSimpleXmlElem {
 public:
  using TSimpleXmlElem::TSimpleXmlElem;
  TSimpleXmlKind Kind() const override { return TSimpleXmlKind::Text; }
  void LoadFromStream(TXmlReadStream& Stream, TSimpleXml* Document) override;
  void SaveToStream(std::ostream& Stream, const std::string& Indent, TSimpleXml* Document) const override;
};

class TSimpleXmlElemComment : public TSimpleXmlElem {
 public:
  using TSimpleXmlElem::TSimpleXmlElem;
  TSimpleXmlKind Kind() const override { return TSimpleXmlKind::Comment; }
  void LoadFromStream(TXmlReadStream& Stream, TSimpleXml* Document) override;
  void SaveToStream(std::ostream& Stream, const std::string& Indent, TSimpleXml* Document) const override;
};

class TSimpleXmlElemCData : public TSimpleXmlElem {
 public:
  using TSimpleXmlElem::TSimpleXmlElem;
  TSimpleXmlKind Kind() const override { return TSimpleXmlKind::CData; }
  void LoadFromStream(TXmlReadStream& Stream, TSimpleXml* Document) override;
  void SaveToStream(std::ostream& Stream, const std::string& Indent, TSimpleXml* Document) const override;
};

// The XML declaration. A parsed one takes all three fields from its attributes.
class TSimpleXmlElemHeader : public TSimpleXmlElem {
 public:
  using TSimpleXmlElem::TSimpleXmlElem;
  TSimpleXmlKind Kind() const override { return TSimpleXmlKind::Header; }
  void LoadFromStream(TXmlReadStream& Stream, TSimpleXml* Document) override;
  void SaveToStream(std::ostream& Stream, const std::string& Indent, TSimpleXml* Document) const override;

  bool Standalone = false;
  std::string Encoding = "iso-8859-1";
  std::string Version = "1.0";
};

// A DOCTYPE declaration; Value holds its trimmed body.
class TSimpleXmlElemDocType : public TSimpleXmlElem {
 public:
  using TSimpleXmlElem::TSimpleXmlElem;
  TSimpleXmlKind Kind() const override { return TSimpleXmlKind::DocType; }
  void LoadFromStream(TXmlReadStream& Stream, TSimpleXml* Document) override;
  void SaveToStream(std::ostream& Stream, const std::string& Indent, TSimpleXml* Document) const override;
};

// A stylesheet processing instruction; its pseudo-attributes stay on the node.
class TSimpleXmlElemSheet : public TSimpleXmlElem {
 public:
  using TSimpleXmlElem::TSimpleXmlElem;
  TSimpleXmlKind Kind() const override { return TSimpleXmlKind::Sheet; }
  void LoadFromStream(TXmlReadStream& Stream, TSimpleXml* Document) override;
  void SaveToStream(std::ostream& Stream, const std::string& Indent, TSimpleXml* Document) const override;
};

// The nodes before the root element, in document order.
class TSimpleXmlElemsProlog {
 public:
  int Count() const { return static_cast<int>(FItems.size()); }
  TSimpleXmlElem* Item(int Index) const;
  void Clear() { FItems.clear(); }
  void Add(std::unique_ptr<TSimpleXmlElem> Node) { FItems.push_back(std::move(Node)); }
  // Always starts at the beginning of the stream (after a UTF-8 byte-order mark) and
  // stops on the root element's '<', or at the end of the data.
  void LoadFromStream(TXmlReadStream& Stream, TSimpleXml* Document);
  void SaveToStream(std::ostream& Stream, const std::string& Indent, TSimpleXml* Document) const;

 private:
  std::vector<std::unique_ptr<TSimpleXmlElem>> FItems;
};

using TOnSimpleProgress = std::function<void(TSimpleXml* Sender, int Position, int Total)>;
using TOnSimpleXmlParsed = std::function<void(TSimpleXml* Sender, const std::string& Name)>;
using TOnValueParsed = std::function<void(TSimpleXml* Sender, const std::string& Name, const std::string& Value)>;

// The document: a prolog and one root element that lives as long as the document.
class TSimpleXml {
 public:
  TSimpleXml();
  TSimpleXml(const TSimpleXml&) = delete;
  TSimpleXml& operator=(const TSimpleXml&) = delete;

  TSimpleXmlElemClassic& Root() { return FRoot; }
  const TSimpleXmlElemClassic& Root() const { return FRoot; }
  TSimpleXmlElemsProlog& Prolog() { return FProlog; }
  const TSimpleXmlElemsProlog& Prolog() const { return FProlog; }

  const std::string& FileName() const { return FFileName; }
  // Assigning a file name loads that file at once.
  void SetFileName(const std::string& Value);

  // Reads the whole file into memory, then parses it.
  void LoadFromFile(const std::string& FileName);
  // Clears the tree, then parses the prolog and the root from the stream's start.
  // Nodes built before a parse error stay in the tree.
  void LoadFromStream(TXmlReadStream& Stream);
  void LoadFromString(std::string_view Data);
  // The prolog nodes, then the root, each with an empty indent.
  void SaveToStream(std::ostream& Stream);

  TOnSimpleProgress OnLoadProgress;
  TOnSimpleProgress OnSaveProgress;
  TOnSimpleXmlParsed OnTagParsed;
  TOnValueParsed OnValueParsed;

  // Used by the loaders and writers to fire the events.
  void NotifyLoadProgress(size_t Position, size_t Total);
  void NotifyTagParsed(const std::string& Name);
  void NotifyValueParsed(const std::string& Name, const std::string& Value);
  void NotifyNodeSaved();

 private:
  std::string FFileName;
  TSimpleXmlElemClassic FRoot;
  TSimpleXmlElemsProlog FProlog;
  int FSavedNodes = 0;
  int FNodesToSave = 0;
};

// Decodes character references in place; with CollapseBlanks, runs of line breaks
// and spaces shrink to their first byte.
void DecodeEntities(std::string& Text, bool CollapseBlanks);
// Escapes the five markup bytes as decimal character references.
std::string EncodeEntities(std::string_view Text);

}  // namespace ambrel
