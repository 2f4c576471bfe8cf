// The snapshot form: a magic word, the prolog's node count and nodes, then the root.
// A node is its kind byte, name, value and prefix; a declaration adds its standalone
// byte, encoding and version; then the attribute count with each attribute's name,
// value and prefix, and the child count with each child. Counts and string lengths are
// unsigned LEB128; strings are their bytes as stored in the tree.
#include "xml/XmlSnapshot.h"

#include <memory>

namespace ambrel {

namespace {

constexpr std::string_view kMagic = "AXS1";

void PutCount(std::string& out, size_t value) {
  while (value >= 0x80) {
    out += static_cast<char>((value & 0x7F) | 0x80);
    value >>= 7;
  }
  out += static_cast<char>(value);
}

void PutText(std::string& out, std::string_view text) {
  PutCount(out, text.size());
  out += text;
}

void PutNode(std::string& out, const TSimpleXmlElem& node) {
  out += static_cast<char>(node.Kind());
  PutText(out, node.Name());
  PutText(out, node.Value);
  PutText(out, node.Prefix);
  if (node.Kind() == TSimpleXmlKind::Header) {
    const auto* header = static_cast<const TSimpleXmlElemHeader*>(&node);
    out += static_cast<char>(header->Standalone ? 1 : 0);
    PutText(out, header->Encoding);
    PutText(out, header->Version);
  }
  const TSimpleXmlProps& props = node.Properties();
  PutCount(out, static_cast<size_t>(props.Count()));
  for (int i = 0; i < props.Count(); ++i) {
    const TSimpleXmlProp* prop = props.Item(i);
    PutText(out, prop->Name);
    PutText(out, prop->Value);
    PutText(out, prop->Prefix);
  }
  const TSimpleXmlElems& items = node.Items();
  PutCount(out, static_cast<size_t>(items.Count()));
  for (int i = 0; i < items.Count(); ++i) PutNode(out, *items.Item(i));
}

[[noreturn]] void ThrowDamaged(const std::string& what) {
  throw TSimpleXmlInvalid("Invalid XML snapshot: " + what);
}

// Reads a snapshot front to back; every read is checked against the end.
class TSnapshotReader {
 public:
  explicit TSnapshotReader(std::string_view data) : FData(data) {}

  bool AtEnd() const { return FAt == FData.size(); }

  unsigned char Byte() {
    if (FAt >= FData.size()) ThrowDamaged("unexpected end");
    return static_cast<unsigned char>(FData[FAt++]);
  }

  size_t Count() {
    size_t value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      const unsigned char b = Byte();
      value |= static_cast<size_t>(b & 0x7F) << shift;
      if (!(b & 0x80)) return value;
    }
    ThrowDamaged("count too long");
  }

  // A count of things that each take at least one more byte, so never more than remain.
  size_t ItemCount() {
    const size_t count = Count();
    if (count > FData.size() - FAt) ThrowDamaged("count past the end");
    return count;
  }

  std::string_view Text() {
    const size_t size = Count();
    if (size > FData.size() - FAt) ThrowDamaged("text past the end");
    const std::string_view text = FData.substr(FAt, size);
    FAt += size;
    return text;
  }

 private:
  std::string_view FData;
  size_t FAt = 0;
};

std::unique_ptr<TSimpleXmlElem> MakeNode(unsigned char kind, TSimpleXmlElem* parent) {
  switch (static_cast<TSimpleXmlKind>(kind)) {
    case TSimpleXmlKind::Classic: return std::make_unique<TSimpleXmlElemClassic>(parent);
    case TSimpleXmlKind::Text: return std::make_unique<TSimpleXmlElemText>(parent);
    case TSimpleXmlKind::Comment: return std::make_unique<TSimpleXmlElemComment>(parent);
    case TSimpleXmlKind::CData: return std::make_unique<TSimpleXmlElemCData>(parent);
    case TSimpleXmlKind::Header: return std::make_unique<TSimpleXmlElemHeader>(parent);
    case TSimpleXmlKind::DocType: return std::make_unique<TSimpleXmlElemDocType>(parent);
    case TSimpleXmlKind::Sheet: return std::make_unique<TSimpleXmlElemSheet>(parent);
  }
  ThrowDamaged("unknown node kind " + std::to_string(kind));
}

// Fills node (already made with the kind read) from the rest of its record.
void LoadNodeBody(TSnapshotReader& in, TSimpleXmlElem& node, int depth) {
  if (depth > kMaxXmlNestingDepth) ThrowDamaged("nodes nested too deep");
  node.SetName(std::string(in.Text()));
  node.Value = in.Text();
  node.Prefix = in.Text();
  if (node.Kind() == TSimpleXmlKind::Header) {
    auto* header = static_cast<TSimpleXmlElemHeader*>(&node);
    header->Standalone = in.Byte() != 0;
    header->Encoding = in.Text();
    header->Version = in.Text();
  }
  TSimpleXmlProps& props = node.Properties();
  for (size_t n = in.ItemCount(); n > 0; --n) {
    TSimpleXmlProp* prop = props.Add(std::string(in.Text()), std::string());
    prop->Value = in.Text();  // straight from the snapshot's bytes, no copy in between
    prop->Prefix = in.Text();
  }
  TSimpleXmlElems& items = node.Items();
  const size_t count = in.ItemCount();
  items.Reserve(count);
  for (size_t n = count; n > 0; --n) {
    std::unique_ptr<TSimpleXmlElem> child = MakeNode(in.Byte(), &node);
    LoadNodeBody(in, *child, depth + 1);
    items.Add(std::move(child));
  }
}

}  // namespace

std::string SaveXmlSnapshot(const TSimpleXml& Document) {
  std::string out(kMagic);
  const TSimpleXmlElemsProlog& prolog = Document.Prolog();
  PutCount(out, static_cast<size_t>(prolog.Count()));
  for (int i = 0; i < prolog.Count(); ++i) PutNode(out, *prolog.Item(i));
  PutNode(out, Document.Root());
  return out;
}

void LoadXmlSnapshot(TSimpleXml& Document, std::string_view Snapshot) {
  Document.Root().Clear();
  Document.Prolog().Clear();
  if (Snapshot.substr(0, kMagic.size()) != kMagic) ThrowDamaged("not a snapshot");
  TSnapshotReader in(Snapshot.substr(kMagic.size()));
  for (size_t n = in.ItemCount(); n > 0; --n) {
    std::unique_ptr<TSimpleXmlElem> node = MakeNode(in.Byte(), nullptr);
    LoadNodeBody(in, *node, 1);
    Document.Prolog().Add(std::move(node));
  }
  if (in.Byte() != static_cast<unsigned char>(TSimpleXmlKind::Classic)) ThrowDamaged("root is not an element");
  LoadNodeBody(in, Document.Root(), 1);
  if (!in.AtEnd()) ThrowDamaged("bytes after the root");
}

}  // namespace ambrel
