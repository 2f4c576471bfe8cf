// The writer's text form and parse/write round trips.
#include <gtest/gtest.h>

#include "XmlTestUtil.h"

using namespace ambrel;

TEST(Writer, TextFormOfEveryKind) {
  auto xml = ParseXml(
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><!DOCTYPE r>"
      "<?xml-stylesheet href=\"s&amp;.xsl\"?><!-- c -->"
      "<p:r q:a=\"&quot;x&quot;\"><e/><v>1 &lt; 2</v><w k=\"1\"><![CDATA[<d>]]>text &amp; more<!--i--></w></p:r>");
  EXPECT_EQ(Dump(*xml),
            "<?xml version=\"1.0\" standalone=\"yes\" encoding=\"UTF-8\"?>\r\n"
            "<!DOCTYPE r>\r\n"
            "<?xml-stylesheet href=\"s&#38;.xsl\"?>\r\n"
            "<!-- c -->\r\n"
            "<r q:a=\"&#38;quot;x&#38;quot;\">\r\n"
            " <e/>\r\n"
            " <v>1 &#60; 2</v>\r\n"
            " <w k=\"1\">\r\n"
            "  <![CDATA[<d>]]>\r\n"
            "  text &#38; more\r\n"
            "  <!--i-->\r\n"
            " </w>\r\n"
            "</r>\r\n");
}

TEST(Writer, AttributePrefixIsWrittenElementPrefixIsNot) {
  auto xml = ParseXml("<p:r q:a=\"1\"/>");
  EXPECT_EQ(Dump(*xml), "<r q:a=\"1\"/>\r\n");
}

TEST(Writer, DeclarationMadeByCode) {
  TSimpleXmlElemHeader header;
  EXPECT_EQ(header.SaveToString(), "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n");
  header.Encoding.clear();
  header.Standalone = true;
  EXPECT_EQ(header.SaveToString(), "<?xml version=\"1.0\" standalone=\"yes\"?>\r\n");
  TSimpleXmlElemText empty;
  EXPECT_EQ(empty.SaveToString(), "");
}

TEST(Writer, EmptyDocumentWritesAnUnnamedRoot) {
  auto xml = ParseXml("  ");
  EXPECT_EQ(Dump(*xml), "</>\r\n");
}

TEST(Writer, WrittenFormParsesToTheSameTree) {
  const std::string text =
      "<?xml version=\"1.0\"?>\r\n<!--head-->\r\n<db a=\"&lt;&amp;&gt;'&quot;\">\r\n\t<x>one\r\n\ttwo</x>\r\n"
      "\t<y b='2'><z/><z>3</z></y>\r\n</db>\r\n";
  auto first = ParseXml(text);
  const std::string written = Dump(*first);
  auto second = ParseXml(written);
  EXPECT_EQ(Dump(*second), written);
  EXPECT_EQ(second->Root().Properties().PropertyValue("a", ""), "<&>'&quot;");
  EXPECT_EQ(second->Root().Items().FindItem("x")->Value, "one\r\ttwo");
}

TEST(Writer, SaveProgressCountsNodes) {
  auto xml = ParseXml("<!--c--><r><a/><b>1</b></r>");
  int last = 0, total = 0;
  xml->OnSaveProgress = [&](TSimpleXml*, int position, int count) {
    last = position;
    total = count;
  };
  Dump(*xml);
  EXPECT_EQ(last, 4);
  EXPECT_EQ(total, 4);
}
