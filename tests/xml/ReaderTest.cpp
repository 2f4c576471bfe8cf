// The reader's shortcuts: element contents read at once, runs of bytes taken together,
// and the name index that only long lists get. Each must give what reading byte by byte
// and searching in order gives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "XmlTestUtil.h"

namespace {

// The tree and the failure of a load with the progress event set (every byte through
// the cursor) and without.
std::string LoadWithProgress(const std::string& text, std::vector<int>* positions = nullptr) {
  TSimpleXml xml;
  xml.OnLoadProgress = [&](TSimpleXml*, int position, int) {
    if (positions) positions->push_back(position);
  };
  try {
    xml.LoadFromString(text);
  } catch (const std::exception& error) {
    return "error: " + XmlErrorMessage(error);
  }
  return Dump(xml);
}

std::string LoadPlain(const std::string& text) {
  TSimpleXml xml;
  try {
    xml.LoadFromString(text);
  } catch (const std::exception& error) {
    return "error: " + XmlErrorMessage(error);
  }
  return Dump(xml);
}

}  // namespace

TEST(Reader, ElementContentsReadAtOnceMatchTheChildList) {
  // The root's own content goes through the child list when progress is reported; a
  // nested element's content takes the short way unless it has children.
  const std::vector<std::string> contents = {
      "t", "  t  u  ", " \r\n\t", "", "a &amp; &#60;b&#62; &#1000; &x;", "a\r\n\r\n  b", "t</b", "t<",
      "t</", "<!--c-->t", "t<!--c-->", "<![CDATA[x]]>", "t<b/>", "<b>u</b>t", "x</r y", "&#65"};
  for (const std::string& content : contents) {
    for (const std::string& text : {"<r>" + content + "</r>", "<o><r>" + content + "</r></o>"}) {
      EXPECT_EQ(LoadPlain(text), LoadWithProgress(text)) << text;
    }
  }
  EXPECT_EQ(LoadPlain("<o><r>  a  b &amp;</r></o>"), "<o>\r\n <r>a b &#38;</r>\r\n</o>\r\n");
  EXPECT_EQ(LoadPlain("<o><r>t</R></o>"),
            "error: Invalid XML Element: Erroneous end of tag, expecting </r> but </R> found.");
  EXPECT_EQ(LoadPlain("<o><a:r>t</a:r></o>"), "<o>\r\n <r>t</r>\r\n</o>\r\n");
}

TEST(Reader, ProgressIsReportedPerChunkOfBlanksAsByteByByte) {
  const std::string text = "<r>" + std::string(20000, ' ') + "<a/></r>";
  std::vector<int> positions;
  LoadWithProgress(text, &positions);
  // Document start, prolog, root tag, its children from byte 3 on, then every 8192
  // bytes of blanks, the resumption after <a/>, and the end.
  EXPECT_EQ(positions, (std::vector<int>{0, 8192, 8192, 8195, 16387, 20011, 20011, 20011}));
}

TEST(Reader, NamedLookupsGiveTheLastEqualNameAtAnyListLength) {
  for (int count : {1, 7, 8, 9, 10, 40}) {
    std::string text = "<r";
    for (int i = 0; i < count; ++i) text += " a" + std::to_string(i % 5) + "=\"" + std::to_string(i) + "\"";
    text += ">";
    for (int i = 0; i < count; ++i) text += "<N" + std::to_string(i % 5) + ">" + std::to_string(i) + "</N" + std::to_string(i % 5) + ">";
    const auto xml = ParseXml(text + "</r>");
    TSimpleXmlElem& root = xml->Root();
    for (int key = 0; key < 5; ++key) {
      // The last position with that key, searched in order.
      int last = -1;
      for (int i = 0; i < count; ++i) {
        if (i % 5 == key) last = i;
      }
      const TSimpleXmlElem* child = root.Items().FindItem("n" + std::to_string(key));
      const TSimpleXmlProp* prop = root.Properties().FindProperty("A" + std::to_string(key));
      if (last < 0) {
        EXPECT_EQ(child, nullptr) << count << " " << key;
        EXPECT_EQ(prop, nullptr) << count << " " << key;
        continue;
      }
      ASSERT_NE(child, nullptr) << count << " " << key;
      EXPECT_EQ(child->Value, std::to_string(last)) << count;
      ASSERT_NE(prop, nullptr) << count << " " << key;
      EXPECT_EQ(prop->Value, std::to_string(last)) << count;
    }
    // Renaming moves the entry under its new name, in short and long lists alike.
    TSimpleXmlElem* first = root.Items().Item(0);
    first->SetName("Renamed");
    EXPECT_EQ(root.Items().FindItem("RENAMED"), first) << count;
    if (count > 5) {
      EXPECT_NE(root.Items().FindItem("N0"), first) << count;
    } else if (count == 1) {
      EXPECT_EQ(root.Items().FindItem("N0"), nullptr);
    }
  }
}
