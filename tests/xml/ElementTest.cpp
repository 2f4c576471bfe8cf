// Ordinary elements, child lists and attributes.
#include <gtest/gtest.h>

#include "XmlTestUtil.h"

using namespace ambrel;

TEST(Element, SoleTextChildBecomesTheValue) {
  auto xml = ParseXml("<a>text</a>");
  EXPECT_EQ(xml->Root().Value, "text");
  EXPECT_EQ(xml->Root().Items().Count(), 0);

  xml = ParseXml("<a>text<!--note-->more</a>");
  EXPECT_EQ(xml->Root().Value, "");
  ASSERT_EQ(xml->Root().Items().Count(), 3);
  EXPECT_EQ(Child(xml->Root(), 0)->Kind(), TSimpleXmlKind::Text);
  EXPECT_EQ(Child(xml->Root(), 1)->Kind(), TSimpleXmlKind::Comment);
  EXPECT_EQ(Child(xml->Root(), 2)->Value, "more");

  // A sole CDATA child stays a child.
  xml = ParseXml("<a><![CDATA[<x>]]></a>");
  EXPECT_EQ(xml->Root().Value, "");
  ASSERT_EQ(xml->Root().Items().Count(), 1);
  EXPECT_EQ(Child(xml->Root(), 0)->Value, "<x>");
}

TEST(Element, ChildrenAreKeyedAndParented) {
  auto xml = ParseXml("<r>\r\n\t<p:a k='v'/>\r\n\t<b>1</b>\r\n\t<c></c>\r\n</r>");
  TSimpleXmlElemClassic& root = xml->Root();
  ASSERT_EQ(root.Items().Count(), 3);
  TSimpleXmlElem* a = root.Items().FindItem("a");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->Prefix, "p");
  EXPECT_EQ(a->Parent(), &root);
  EXPECT_EQ(root.Items().FindItem("B")->Value, "1");
  EXPECT_EQ(root.Items().FindItem("c")->Value, "");
  EXPECT_EQ(root.Parent(), nullptr);
}

TEST(Element, PrefixedElementsCloseWithTheirQualifiedName) {
  auto xml = ParseXml("<x:a><y:z:b>v</y:z:b></x:a>");
  EXPECT_EQ(xml->Root().Name(), "a");
  EXPECT_EQ(xml->Root().Prefix, "x");
  TSimpleXmlElem* b = xml->Root().Items().FindItem("b");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->Prefix, "z");
  EXPECT_EQ(b->Value, "v");
  EXPECT_EQ(ParseError("<x:a></a>"), "Invalid XML Element: Erroneous end of tag, expecting </x:a> but </a> found.");
}

TEST(Element, Errors) {
  EXPECT_EQ(ParseError("<a></b>"), "Invalid XML Element: Erroneous end of tag, expecting </a> but </b> found.");
  EXPECT_EQ(ParseError("<a></a >"), "Invalid XML Element: Erroneous end of tag, expecting </a> but </a > found.");
  EXPECT_EQ(ParseError("<a><b>"), "Invalid XML Element: Erroneous end of tag, expecting </b> but </> found.");
  EXPECT_EQ(ParseError("<a/ >"), "Invalid XML Element: Expected end of tag but   found.");
  EXPECT_EQ(ParseError("<a>< b/></a>"), "Invalid XML Element: Malformed tag found (no valid name)");
  EXPECT_EQ(ParseError("<: b/>"), "Invalid XML Element: Malformed tag found (no valid name)");
  EXPECT_EQ(ParseError("<a b = \"1\"/>"),
            "Invalid XML Element: Unexpected character in properties declaration (  found).");
  EXPECT_EQ(ParseError("<a b=1/>"),
            "Invalid XML Element: Unexpected character in property declaration. Expecting \" or ' but 1 found.");
  EXPECT_EQ(ParseError("<a b=\"1\" %/>"),
            "Invalid XML Element: Unexpected character in properties declaration (% found).");
  // The offending byte is quoted whole, a NUL too, and the text after it is kept.
  using namespace std::string_literals;
  EXPECT_EQ(ParseError("<a b=\0/>"s),
            "Invalid XML Element: Unexpected character in property declaration. Expecting \" or ' but \0 found."s);
  EXPECT_EQ(ParseError("<a></\0b>"s), "Invalid XML Element: Erroneous end of tag, expecting </a> but </\0b> found."s);
}

TEST(Element, NodesBuiltBeforeAnErrorStay) {
  TSimpleXml xml;
  EXPECT_THROW(xml.LoadFromString("<r><a/><b>x</b><c></d></r>"), TSimpleXmlInvalid);
  ASSERT_EQ(xml.Root().Items().Count(), 2);
  EXPECT_EQ(xml.Root().Items().Item(1)->Value, "x");
  EXPECT_EQ(xml.Root().Name(), "");  // the root itself never completed
}

TEST(Element, DataEndingInsideTheRootStartTag) {
  auto xml = ParseXml("<a b=\"1\" c=\"2");
  EXPECT_EQ(xml->Root().Name(), "");
  ASSERT_EQ(xml->Root().Properties().Count(), 1);
  EXPECT_EQ(xml->Root().Properties().Item(0)->Name, "b");

  // A second load into the same document keeps the old root name.
  TSimpleXml doc;
  doc.LoadFromString("<codecdb><x/></codecdb>");
  doc.LoadFromString("<other");
  EXPECT_EQ(doc.Root().Name(), "codecdb");
  EXPECT_EQ(doc.Root().Items().Count(), 0);
}

TEST(Element, TrailingDataAfterTheRootIsIgnored) {
  auto xml = ParseXml("<a>1</a> garbage <b><");
  EXPECT_EQ(xml->Root().Value, "1");
}

TEST(Element, Attributes) {
  auto xml = ParseXml("<a b=\"1\" x:y='2' c=\"&lt;&#65;\r\nz\" b='3'e=\"'\"/>");
  TSimpleXmlProps& props = xml->Root().Properties();
  ASSERT_EQ(props.Count(), 5);
  EXPECT_EQ(props.Item(0)->Prefix, "");
  EXPECT_EQ(props.Item(1)->Name, "y");
  EXPECT_EQ(props.Item(1)->Prefix, "x");
  EXPECT_EQ(props.Item(2)->Value, "<A\r\nz");  // attribute values keep their line breaks
  EXPECT_EQ(props.Item(4)->Value, "'");
  EXPECT_EQ(props.PropertyValue("B", ""), "3");  // last of equal names, case ignored
  EXPECT_EQ(props.FindProperty("b"), props.Item(3));
  EXPECT_EQ(props.PropertyValue("version", ""), "");
  EXPECT_EQ(props.PropertyValue("version", "d"), "d");
  EXPECT_EQ(props.Item(0)->Parent, &props);
}

TEST(Element, NestingDepthIsBounded) {
  std::string ok, deep;
  for (int i = 0; i < kMaxXmlNestingDepth; ++i) ok += "<a>";
  for (int i = 0; i < kMaxXmlNestingDepth; ++i) ok += "</a>";
  EXPECT_EQ(ParseError(ok), "<no error>");
  for (int i = 0; i < 100000; ++i) deep += "<a>";
  EXPECT_EQ(ParseError(deep), "Invalid XML Element: Elements nested deeper than 256 levels");
}

TEST(Element, EventsComeFromTheRootAlone) {
  TSimpleXml xml;
  std::string log;
  xml.OnTagParsed = [&](TSimpleXml*, const std::string& name) { log += "tag " + name + ";"; };
  xml.OnValueParsed = [&](TSimpleXml*, const std::string& name, const std::string& value) {
    log += "value " + name + "=" + value + ";";
  };
  xml.LoadFromString("<!--c--><r><a>1</a>t</r>");
  EXPECT_EQ(log, "tag r;value r=;");

  int progress = 0;
  xml.OnLoadProgress = [&](TSimpleXml*, int position, int total) {
    EXPECT_LE(position, total);
    ++progress;
  };
  xml.LoadFromString("<r><a>1</a></r>");
  EXPECT_GE(progress, 2);
}
