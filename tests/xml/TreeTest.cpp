// Lookups, naming and lifetime of the element tree; the variant view.
#include <gtest/gtest.h>

#include "XmlTestUtil.h"
#include "xml/XmlVariant.h"

using namespace ambrel;

TEST(Tree, NamedLookupIgnoresCaseAndLastWins) {
  auto xml = ParseXml("<r><name>1</name><Other/><NAME>2</NAME></r>");
  TSimpleXmlElems& items = xml->Root().Items();
  EXPECT_EQ(items.FindItem("name"), items.Item(2));
  EXPECT_EQ(items.FindItem("NAME"), items.Item(2));
  EXPECT_EQ(items.FindItem("nam"), nullptr);
  EXPECT_EQ(items.IndexOf(items.Item(1)), 1);
  EXPECT_EQ(items.IndexOf(&xml->Root()), -1);
  EXPECT_EQ(items.Item(items.Count()), nullptr);
}

TEST(Tree, RenamingRekeysTheParentEntry) {
  auto xml = ParseXml("<r><a/><b/></r>");
  TSimpleXmlElem* a = xml->Root().Items().FindItem("a");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(xml->Root().Items().FindItem("b"), xml->Root().Items().Item(1));  // index built
  a->SetName("b");
  EXPECT_EQ(xml->Root().Items().FindItem("a"), nullptr);
  EXPECT_EQ(xml->Root().Items().FindItem("b"), xml->Root().Items().Item(1));  // still the last
  a->SetName("c");
  EXPECT_EQ(xml->Root().Items().FindItem("c"), a);
  a->SetName("");
  EXPECT_EQ(a->Name(), "c");
}

TEST(Tree, ReloadClearsTheOldTreeAndProlog) {
  TSimpleXml xml;
  xml.LoadFromString("<?xml version=\"1.0\"?><!--1--><!--2--><r><a/></r>");
  EXPECT_EQ(xml.Prolog().Count(), 3);
  xml.Prolog().Clear();
  EXPECT_EQ(xml.Prolog().Count(), 0);
  xml.LoadFromString("<s/>");
  EXPECT_EQ(xml.Root().Name(), "s");
  EXPECT_EQ(xml.Root().Items().Count(), 0);
}

TEST(Tree, FileNameLoadsTheFile) {
  TSimpleXml xml;
  EXPECT_THROW(xml.SetFileName("/nonexistent/x.xml"), TXmlStreamError);
  std::string message = "nothing thrown";
  try {
    xml.LoadFromFile("/nonexistent/x.xml");
  } catch (const TXmlStreamError& error) {
    message = error.what();
  }
  EXPECT_EQ(message, "Cannot open file \"/nonexistent/x.xml\". No such file or directory");
}

TEST(Variant, GivesChildrenAttributesAndTextForm) {
  auto xml = ParseXml("<r v=\"1\"><a x=\"2\">t</a><b/></r>");
  TXmlVariant root(&xml->Root());
  EXPECT_EQ(root["a"].Element(), xml->Root().Items().Item(0));
  EXPECT_EQ(root["a"]["x"].ToString(), "2");
  EXPECT_EQ(root["V"].ToString(), "1");
  EXPECT_EQ(root["a"].ToString(), "<a x=\"2\">t</a>\r\n");
  EXPECT_THROW(root["missing"], TXmlVariantError);
  EXPECT_FALSE(root.IsEmpty());
  EXPECT_TRUE(root["b"].IsEmpty());
  root.Set("a", "u");
  root["a"].Set("x", "3");
  EXPECT_EQ(static_cast<std::string>(root["a"]), "<a x=\"3\">u</a>\r\n");
  root.Clear();
  EXPECT_TRUE(root.IsEmpty());
}
