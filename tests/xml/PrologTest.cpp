// The prolog and its nodes: declaration, comments, DOCTYPE, stylesheet.
#include <gtest/gtest.h>

#include "XmlTestUtil.h"

using namespace ambrel;

TEST(Prolog, DeclarationFieldsComeFromAttributesOnly) {
  auto xml = ParseXml("<?xml version=\"1.0\"?><a/>");
  ASSERT_EQ(xml->Prolog().Count(), 1);
  auto* header = dynamic_cast<TSimpleXmlElemHeader*>(xml->Prolog().Item(0));
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(header->Version, "1.0");
  EXPECT_EQ(header->Encoding, "");  // not the default of a node made by code
  EXPECT_FALSE(header->Standalone);
  EXPECT_EQ(header->Properties().Count(), 0);
  EXPECT_EQ(xml->Root().Name(), "a");

  xml = ParseXml("<?xml version='1.1' encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<a/>");
  header = dynamic_cast<TSimpleXmlElemHeader*>(xml->Prolog().Item(0));
  EXPECT_EQ(header->Version, "1.1");
  EXPECT_EQ(header->Encoding, "UTF-8");
  EXPECT_TRUE(header->Standalone);

  TSimpleXmlElemHeader made;
  EXPECT_EQ(made.Encoding, "iso-8859-1");
  EXPECT_EQ(made.Version, "1.0");
}

TEST(Prolog, NodesKeepDocumentOrderAndTheRootFollows) {
  auto xml = ParseXml(
      "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!-- one -->\n<?xml-stylesheet type=\"text/xsl\" href=\"a.xsl\"?>\n"
      "<!DOCTYPE  root [ <!ELEMENT root ANY> ] >\n<!--two--><root x=\"1\"/>");
  ASSERT_EQ(xml->Prolog().Count(), 5);
  EXPECT_EQ(xml->Prolog().Item(0)->Kind(), TSimpleXmlKind::Header);
  EXPECT_EQ(xml->Prolog().Item(1)->Value, " one ");
  TSimpleXmlElem* sheet = xml->Prolog().Item(2);
  EXPECT_EQ(sheet->Kind(), TSimpleXmlKind::Sheet);
  EXPECT_EQ(sheet->Properties().PropertyValue("href", ""), "a.xsl");
  TSimpleXmlElem* doctype = xml->Prolog().Item(3);
  EXPECT_EQ(doctype->Kind(), TSimpleXmlKind::DocType);
  EXPECT_EQ(doctype->Value, "root [ <!ELEMENT root ANY> ]");
  EXPECT_EQ(xml->Prolog().Item(4)->Value, "two");
  EXPECT_EQ(xml->Root().Name(), "root");
  EXPECT_EQ(xml->Root().Properties().PropertyValue("x", ""), "1");
}

TEST(Prolog, UnknownInstructionsNeverEndTheProlog) {
  for (const char* text : {"<?xml\tversion=\"1.0\"?><a><b/></a>", "<?php x ?><a/>", "<!doctype a><a/>"}) {
    auto xml = ParseXml(text);
    EXPECT_EQ(xml->Root().Name(), "") << text;
    EXPECT_FALSE(xml->Root().HasItems()) << text;
    EXPECT_EQ(xml->Prolog().Count(), 0) << text;
  }
}

TEST(Prolog, Errors) {
  EXPECT_EQ(ParseError(""), "Stream read error");
  EXPECT_EQ(ParseError("<"), "Stream read error");
  EXPECT_EQ(ParseError("x<a/>"), "Invalid Document: Unexpected text in file prolog.");
  EXPECT_EQ(ParseError("  <a/>"), "<no error>");
  EXPECT_EQ(ParseError("<?xml version=\"1.0\"/><a/>"), "Invalid Header: Expected ? Found /");
  EXPECT_EQ(ParseError("<?xml version=\"1.0\"?<a/>"), "Invalid Header: Expected > Found <");
  EXPECT_EQ(ParseError("<?xml version=\"1.0\""), "Invalid Header: Unexpected end of data");
  EXPECT_EQ(ParseError("<?xml version = \"1.0\"?>"),
            "Invalid XML Element: Unexpected character in properties declaration (  found).");
  EXPECT_EQ(ParseError("<!DOCTYPE a [ <!ENTITY x \"y\"> "), "Invalid Header: Unexpected end of data");
  EXPECT_EQ(ParseError("<?xml-stylesheet href=\"a\"><a/>"), "Invalid Stylesheet: Expected ? Found >");
  EXPECT_EQ(ParseError("<?xml-stylesheet href=\"a\""), "Invalid Stylesheet: Unexpected end of data");
  EXPECT_EQ(ParseError("<!-- a -"), "Invalid Comment: Unexpected end of data");
}

