// Text, character references, comments and CDATA.
#include <gtest/gtest.h>

#include "XmlTestUtil.h"

using namespace ambrel;

namespace {
std::string Decoded(std::string text, bool collapse) {
  DecodeEntities(text, collapse);
  return text;
}
}  // namespace

TEST(Text, ReferencesInElementText) {
  EXPECT_EQ(ParseXml("<a>x &amp; y</a>")->Root().Value, "x & y");
  EXPECT_EQ(ParseXml("<a>&#60;b&#62;</a>")->Root().Value, "<b>");
  EXPECT_EQ(ParseXml("<a>&#120;</a>")->Root().Value, "");
}

TEST(Text, BlanksAndLineBreaks) {
  EXPECT_EQ(ParseXml("<a>one\r\n   two</a>")->Root().Value, "one\rtwo");
  EXPECT_EQ(ParseXml("<a>\r\n\t\tXVID </a>")->Root().Value, "XVID ");  // leading blanks go, trailing stay
  EXPECT_EQ(ParseXml("<a>a  \t  b</a>")->Root().Value, "a \t b");
}

TEST(Text, DecodeEntities) {
  EXPECT_EQ(Decoded("&LT;&Gt;&amp;", false), "<>&");
  EXPECT_EQ(Decoded("&Quot;&nbsp;", false), "&quot;&nbsp;");
  EXPECT_EQ(Decoded("&#0;&#100;&#101;&#232;&#233;&#234;", false), std::string("\0d\xE8\xE9", 4));
  EXPECT_EQ(Decoded("&#99999999999999999999;x", false), "x");
  EXPECT_EQ(Decoded("a\r\n \n\tb", true), "a\r\tb");
  EXPECT_EQ(Decoded("a\r\n \n\tb", false), "a\r\n \n\tb");
  EXPECT_EQ(Decoded("\n\nx", true), "\nx");
}

TEST(Text, MalformedReferencesKeepEveryByte) {
  for (const char* text : {"&", "a & b", "&;", "&#;", "&#x41;", "&#12", "&amp", "&a b;", "&a1;", "&&", "x&#-1;"}) {
    EXPECT_EQ(Decoded(text, false), text) << text;
  }
  EXPECT_EQ(Decoded("&&lt;", false), "&<");
  EXPECT_EQ(Decoded("&#&#65;", false), "&#A");
}

TEST(Text, EncodeEntities) {
  EXPECT_EQ(EncodeEntities("\"&'<>x\xE9"), "&#34;&#38;&#39;&#60;&#62;x\xE9");
}

TEST(CommentAndCData, BodiesAreKeptAsIs) {
  auto xml = ParseXml("<a><!-- a -- b --><![CDATA[ x &amp; ]] ]]></a>");
  ASSERT_EQ(xml->Root().Items().Count(), 2);
  EXPECT_EQ(Child(xml->Root(), 0)->Value, " a -- b ");
  EXPECT_EQ(Child(xml->Root(), 1)->Value, " x &amp; ]] ");
}

TEST(CommentAndCData, ThreeCloserBytesDoNotClose) {
  auto xml = ParseXml("<a><!--x--->y--></a>");
  EXPECT_EQ(Child(xml->Root(), 0)->Value, "x--->y");
  xml = ParseXml("<a><![CDATA[x]]]>y]]></a>");
  EXPECT_EQ(Child(xml->Root(), 0)->Value, "x]]]>y");
}

TEST(CommentAndCData, Errors) {
  EXPECT_EQ(ParseError("<a><!-- x --</a>"), "Invalid Comment: Unexpected end of data");
  EXPECT_EQ(ParseError("<a><![CDATA[ x ]></a>"), "Invalid CDATA: Unexpected end of data");

  // The openers are checked byte by byte when a node is loaded on its own.
  TXmlReadStream comment("<!-x-->");
  EXPECT_THROW(TSimpleXmlElemComment().LoadFromStream(comment, nullptr), TSimpleXmlInvalid);
  try {
    TXmlReadStream cdata("<![CDAT[x]]>");
    TSimpleXmlElemCData().LoadFromStream(cdata, nullptr);
    ADD_FAILURE();
  } catch (const TSimpleXmlInvalid& error) {
    EXPECT_STREQ(error.what(), "Invalid CDATA: Expected A Found [");
  }
}

