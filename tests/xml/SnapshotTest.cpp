// The snapshot form: a tree rebuilt from it is the tree it was made from, and damaged
// bytes are refused instead of loading a different tree.
#include <gtest/gtest.h>

#include "XmlTestUtil.h"
#include "xml/XmlSnapshot.h"

namespace {

// Every node kind, prefixes, duplicate and decoded attributes, mixed content and a child
// list long enough to be indexed.
const std::string kEveryKind =
    "\xEF\xBB\xBF<?xml version=\"1.1\" encoding=\"utf-8\" standalone=\"yes\"?>\r\n"
    "<!-- before -->\n<?xml-stylesheet type=\"text/xsl\" href=\"a.xsl\"?>\n"
    "<!DOCTYPE doc [ <!ENTITY x \"y\"> ]>\n"
    "<ns:doc a=\"1\" a=\"2\" p:b=\"&#60;&amp;\" c=''>"
    "lead  text<x>one</x><!-- inner --><![CDATA[raw <b> ]]>tail"
    "<list><i>0</i><i>1</i><i>2</i><I>3</I><i>4</i><i>5</i><i>6</i><i>7</i><j>8</j><k>9</k></list>"
    "<e/><v:w q=\"r\">x &#38; y</v:w></ns:doc>";

std::unique_ptr<TSimpleXml> Rebuilt(const std::string& snapshot) {
  auto xml = std::make_unique<TSimpleXml>();
  LoadXmlSnapshot(*xml, snapshot);
  return xml;
}

std::string SnapshotError(const std::string& snapshot) {
  TSimpleXml xml;
  try {
    LoadXmlSnapshot(xml, snapshot);
  } catch (const TSimpleXmlInvalid& error) {
    return error.Message();
  }
  return "<no error>";
}

}  // namespace

TEST(XmlSnapshot, RebuildsTheParsedTreeWithEveryField) {
  auto parsed = ParseXml(kEveryKind);
  const std::string snapshot = SaveXmlSnapshot(*parsed);
  auto rebuilt = Rebuilt(snapshot);
  EXPECT_EQ(Dump(*rebuilt), Dump(*parsed));
  EXPECT_EQ(SaveXmlSnapshot(*rebuilt), snapshot);

  // What the written form does not show: declaration fields, prefixes, kinds, parents.
  ASSERT_EQ(rebuilt->Prolog().Count(), 4);
  const auto* header = dynamic_cast<TSimpleXmlElemHeader*>(rebuilt->Prolog().Item(0));
  ASSERT_NE(header, nullptr);
  EXPECT_TRUE(header->Standalone);
  EXPECT_EQ(header->Encoding, "utf-8");
  EXPECT_EQ(header->Version, "1.1");
  EXPECT_EQ(rebuilt->Prolog().Item(2)->Kind(), TSimpleXmlKind::Sheet);
  EXPECT_EQ(rebuilt->Prolog().Item(2)->Properties().PropertyValue("href", ""), "a.xsl");
  EXPECT_EQ(rebuilt->Prolog().Item(3)->Value, parsed->Prolog().Item(3)->Value);

  TSimpleXmlElemClassic& root = rebuilt->Root();
  EXPECT_EQ(root.Name(), "doc");
  EXPECT_EQ(root.Prefix, "ns");
  EXPECT_EQ(root.Properties().Count(), 4);
  EXPECT_EQ(root.Properties().PropertyValue("A", ""), "2");
  EXPECT_EQ(root.Properties().FindProperty("b")->Prefix, "p");
  EXPECT_EQ(root.Properties().FindProperty("b")->Value, "<&");
  EXPECT_EQ(root.Properties().FindProperty("b")->Parent, &root.Properties());
  ASSERT_EQ(root.Items().Count(), parsed->Root().Items().Count());
  for (int i = 0; i < root.Items().Count(); ++i) {
    EXPECT_EQ(Child(root, i)->Kind(), Child(parsed->Root(), i)->Kind()) << i;
    EXPECT_EQ(Child(root, i)->Value, Child(parsed->Root(), i)->Value) << i;
    EXPECT_EQ(Child(root, i)->Parent(), &root) << i;
  }
  TSimpleXmlElem* list = root.Items().FindItem("LIST");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->Items().FindItem("i")->Value, "7");  // last of equal names, case ignored
  EXPECT_EQ(list->Items().FindItem("k")->Value, "9");
  EXPECT_EQ(root.Items().FindItem("w")->Prefix, "v");
  EXPECT_EQ(root.Items().FindItem("w")->Value, "x & y");
}

TEST(XmlSnapshot, ReplacesWhatTheDocumentHeld) {
  auto xml = ParseXml("<?xml version=\"1.0\"?><old><a/><b/></old>");
  LoadXmlSnapshot(*xml, SaveXmlSnapshot(*ParseXml("<new>v</new>")));
  EXPECT_EQ(xml->Prolog().Count(), 0);
  EXPECT_EQ(xml->Root().Name(), "new");
  EXPECT_EQ(xml->Root().Items().Count(), 0);
  EXPECT_EQ(xml->Root().Value, "v");
}

TEST(XmlSnapshot, DamagedBytesAreRefused) {
  const std::string snapshot = SaveXmlSnapshot(*ParseXml(kEveryKind));
  // Every truncation fails: no prefix of a snapshot is a whole one.
  for (size_t size = 0; size < snapshot.size(); ++size) {
    EXPECT_NE(SnapshotError(snapshot.substr(0, size)), "<no error>") << size;
  }
  EXPECT_EQ(SnapshotError(snapshot + "x"), "Invalid XML snapshot: bytes after the root");
  EXPECT_EQ(SnapshotError("BXS1" + snapshot.substr(4)), "Invalid XML snapshot: not a snapshot");

  const std::string bare = SaveXmlSnapshot(*ParseXml("<a/>"));
  ASSERT_EQ(bare, std::string("AXS1\x00\x00\x01" "a\x00\x00\x00\x00", 12));
  std::string badKind = bare;
  badKind[5] = 9;
  EXPECT_EQ(SnapshotError(badKind), "Invalid XML snapshot: root is not an element");
  // A prolog of one node of an unknown kind.
  EXPECT_EQ(SnapshotError(std::string("AXS1\x01\x07", 6) + bare.substr(5)),
            "Invalid XML snapshot: unknown node kind 7");
  // Counts and lengths past the end are refused before anything is allocated for them.
  EXPECT_EQ(SnapshotError(std::string("AXS1\x00\x00\xFF\xFF\xFF\xFF\x0F", 11)),
            "Invalid XML snapshot: text past the end");
  EXPECT_EQ(SnapshotError(std::string("AXS1\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x01", 14)),
            "Invalid XML snapshot: count past the end");
  EXPECT_EQ(SnapshotError(std::string("AXS1") + std::string(11, '\x80')), "Invalid XML snapshot: count too long");
}

TEST(XmlSnapshot, NestingIsBounded) {
  std::string deep;
  for (int i = 0; i < kMaxXmlNestingDepth; ++i) deep += "<a>";
  for (int i = 0; i < kMaxXmlNestingDepth; ++i) deep += "</a>";
  auto parsed = ParseXml(deep);
  EXPECT_EQ(Dump(*Rebuilt(SaveXmlSnapshot(*parsed))), Dump(*parsed));

  // One more level, written by hand: each element has one child, the innermost none.
  std::string deeper("AXS1\x00", 5);
  for (int i = 0; i <= kMaxXmlNestingDepth; ++i) {
    deeper += std::string("\x00\x01" "a\x00\x00\x00", 6);
    deeper += i == kMaxXmlNestingDepth ? '\x00' : '\x01';
  }
  EXPECT_EQ(SnapshotError(deeper), "Invalid XML snapshot: nodes nested too deep");
}
