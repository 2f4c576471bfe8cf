// The snapshot form: a magic word, the prolog's node count and nodes, then the root.
// A node is its kind byte, name, value and prefix; a declaration adds its standalone
// byte, encoding and version; then the attribute count with each attribute's name,
// value and prefix, and the child count with each child. Counts and string lengths are
// unsigned LEB128; strings are their bytes as stored in the tree.
#include "xml/XmlSnapshot.h"

#include <memory>

#include "xml/SnapshotCoding.h"

namespace ambrel {

namespace {

constexpr std::string_view kMagic = "AXS1";
constexpr std::string_view kForm = "XML snapshot";

void PutNode(std::string& out, const TSimpleXmlElem& node) {
  out += static_cast<char>(node.Kind());
  PutSnapshotText(out, node.Name());
  PutSnapshotText(out, node.Value);
  PutSnapshotText(out, node.Prefix);
  if (node.Kind() == TSimpleXmlKind::Header) {
    const auto* header = static_cast<const TSimpleXmlElemHeader*>(&node);
    out += static_cast<char>(header->Standalone ? 1 : 0);
    PutSnapshotText(out, header->Encoding);
    PutSnapshotText(out, header->Version);
  }
  const TSimpleXmlProps& props = node.Properties();
  PutSnapshotCount(out, static_cast<size_t>(props.Count()));
  for (int i = 0; i < props.Count(); ++i) {
    const TSimpleXmlProp* prop = props.Item(i);
    PutSnapshotText(out, prop->Name);
    PutSnapshotText(out, prop->Value);
    PutSnapshotText(out, prop->Prefix);
  }
  const TSimpleXmlElems& items = node.Items();
  PutSnapshotCount(out, static_cast<size_t>(items.Count()));
  for (int i = 0; i < items.Count(); ++i) PutNode(out, *items.Item(i));
}

std::unique_ptr<TSimpleXmlElem> MakeNode(TSnapshotReader& in, TSimpleXmlElem* parent) {
  const unsigned char kind = in.Byte();
  switch (static_cast<TSimpleXmlKind>(kind)) {
    case TSimpleXmlKind::Classic: return std::make_unique<TSimpleXmlElemClassic>(parent);
    case TSimpleXmlKind::Text: return std::make_unique<TSimpleXmlElemText>(parent);
    case TSimpleXmlKind::Comment: return std::make_unique<TSimpleXmlElemComment>(parent);
    case TSimpleXmlKind::CData: return std::make_unique<TSimpleXmlElemCData>(parent);
    case TSimpleXmlKind::Header: return std::make_unique<TSimpleXmlElemHeader>(parent);
    case TSimpleXmlKind::DocType: return std::make_unique<TSimpleXmlElemDocType>(parent);
    case TSimpleXmlKind::Sheet: return std::make_unique<TSimpleXmlElemSheet>(parent);
  }
  in.Damaged("unknown node kind " + std::to_string(kind));
}

// Fills node (already made with the kind read) from the rest of its record.
void LoadNodeBody(TSnapshotReader& in, TSimpleXmlElem& node, int depth) {
  if (depth > kMaxXmlNestingDepth) in.Damaged("nodes nested too deep");
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
    std::unique_ptr<TSimpleXmlElem> child = MakeNode(in, &node);
    LoadNodeBody(in, *child, depth + 1);
    items.Add(std::move(child));
  }
}

}  // namespace

std::string SaveXmlSnapshot(const TSimpleXml& Document) {
  std::string out(kMagic);
  const TSimpleXmlElemsProlog& prolog = Document.Prolog();
  PutSnapshotCount(out, static_cast<size_t>(prolog.Count()));
  for (int i = 0; i < prolog.Count(); ++i) PutNode(out, *prolog.Item(i));
  PutNode(out, Document.Root());
  return out;
}

void LoadXmlSnapshot(TSimpleXml& Document, std::string_view Snapshot) {
  Document.Root().Clear();
  Document.Prolog().Clear();
  if (Snapshot.substr(0, kMagic.size()) != kMagic) TSnapshotReader(Snapshot, kForm).Damaged("not a snapshot");
  TSnapshotReader in(Snapshot.substr(kMagic.size()), kForm);
  for (size_t n = in.ItemCount(); n > 0; --n) {
    std::unique_ptr<TSimpleXmlElem> node = MakeNode(in, nullptr);
    LoadNodeBody(in, *node, 1);
    Document.Prolog().Add(std::move(node));
  }
  if (in.Byte() != static_cast<unsigned char>(TSimpleXmlKind::Classic)) in.Damaged("root is not an element");
  LoadNodeBody(in, Document.Root(), 1);
  if (!in.AtEnd()) in.Damaged("bytes after the root");
}

}  // namespace ambrel
