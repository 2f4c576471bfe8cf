// Report writers: rendering of each operation, the buffer rules, and literal text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempDir.h"
#include "report/LogWriter.h"
#include "report/RtfWriter.h"

using namespace ambrel;

namespace {

TEST(HtmlWriter, RendersEachOperationAsAFragmentWithCrLf) {
  THTMLWriter w;
  w.WriteTitle("T");
  w.WriteSeparator();
  w.WriteLine("L");
  w.WriteField("Codec", "  x264 \t");
  w.BeginList();
  w.WriteListItem("i");
  w.WriteListField("N", "v");
  w.EndList();
  EXPECT_EQ(w.GetText(),
            "<h2>T</h2>\r\n<br />\r\nL<br />\r\n<b>Codec</b> : x264<br />\r\n<ul>\r\n<li>i</li>\r\n"
            "<li><b>N</b> : v</li>\r\n</ul>\r\n");
}

TEST(TxtWriter, IndentsListsAndStripsTags) {
  TTxtWriter w;
  w.WriteTitle("T");
  w.WriteSeparator();
  w.WriteListItem("outside");
  w.BeginList();
  w.WriteListItem("one");
  w.BeginList();
  w.BeginList();
  w.WriteListField("Deep", " v ");
  w.EndList();
  w.EndList();
  w.EndList();
  w.WriteLine("<font color=\"red\">message</font>");
  w.WriteRaw("no line end");
  EXPECT_EQ(w.GetText(), "T\r\n\r\n - outside\r\n   - one\r\n       - Deep : v\r\nmessage\r\nno line end");
}

TEST(Writers, BlankFieldValuesLeaveNoTrace) {
  THTMLWriter h;
  TTxtWriter t;
  for (TLogWriter* w : {static_cast<TLogWriter*>(&h), static_cast<TLogWriter*>(&t)}) {
    w->WriteField("Name", " \t\r\n");
    w->WriteListField("Name", "");
    w->WriteField(" spaced name ", "v");
  }
  EXPECT_EQ(h.GetText(), "<b> spaced name </b> : v<br />\r\n");
  EXPECT_EQ(t.GetText(), " spaced name  : v\r\n");
}

TEST(TxtWriter, NegativeListDepthGivesNoIndent) {
  TTxtWriter w;
  w.EndList();
  w.WriteListItem("x");
  EXPECT_EQ(w.GetText(), " - x\r\n");
  EXPECT_EQ(w.ListLevel(), -1);
}

TEST(MakeLinks, LinksTheFirstFreeStandingAddress) {
  EXPECT_EQ(MakeLinks("see http://a.b/c more"), "see <a href=\"http://a.b/c\">http://a.b/c</a> more");
  EXPECT_EQ(MakeLinks("(http://a.b)x"), "(<a href=\"http://a.b\">http://a.b</a>)x");
  EXPECT_EQ(MakeLinks("http://a.b<br />"), "<a href=\"http://a.b\">http://a.b</a><br />");
  EXPECT_EQ(MakeLinks("at end http://x"), "at end <a href=\"http://x\">http://x</a>");
  // Only the first address counts, and one inside an attribute stops the search.
  EXPECT_EQ(MakeLinks("<a href=\"http://x\">y</a> http://z"), "<a href=\"http://x\">y</a> http://z");
  EXPECT_EQ(MakeLinks("u=http://x http://z"), "u=http://x http://z");
  EXPECT_EQ(MakeLinks("HTTP://x https://y"), "HTTP://x <a href=\"https://y\">https://y</a>");
  EXPECT_EQ(MakeLinks("https://a.b/c http://d"), "<a href=\"https://a.b/c\">https://a.b/c</a> http://d");
}

TEST(TxtWriter, StripsClosingTagsAndTheirOpeners) {
  const struct {
    const char* raw;
    const char* text;
  } cases[] = {
      {"<b>Name</b> : v\r\n", "Name : v\r\n"},
      {"<font color=\"#FF0000\">m</font>\r\n", "m\r\n"},
      // The first "</" not followed by letters and '>' ends the stripping.
      {"a </ b> <i>x</i>\r\n", "a </ b> <i>x</i>\r\n"},
      // The opener is matched on its prefix: "<b" also matches an earlier "<br />".
      {"<br /><b>x</b>\r\n", "<b>x\r\n"},
      // Unclosed tags stay.
      {"<ul>\r\n", "<ul>\r\n"},
  };
  for (const auto& c : cases) {
    TTxtWriter w;
    w.WriteRaw(c.raw);
    EXPECT_EQ(w.GetText(), c.text) << c.raw;
  }
}

TEST(Buffer, ResetKeepsOldBytesUntilTheNextWrite) {
  TTxtWriter w;
  w.WriteRaw(std::string(100, 'x'));
  w.ResetWriter();
  EXPECT_EQ(w.GetText().size(), 100u);
  w.WriteLine("short");
  EXPECT_EQ(w.GetText(), "short\r\n");
}

TEST(Buffer, AppendWriterCopiesWithoutChangingTheSource) {
  TTxtWriter a, b, empty;
  a.WriteLine("a");
  b.WriteLine("b");
  a.AppendWriter(b);
  a.AppendWriter(empty);
  EXPECT_EQ(a.GetText(), "a\r\nb\r\n");
  EXPECT_EQ(b.GetText(), "b\r\n");
  EXPECT_EQ(b.GetStream().Position(), b.GetStream().Size());
}

TEST(MultiWriter, ForwardsToEveryTargetInOrder) {
  THTMLWriter h;
  TTxtWriter t;
  TMultiWriter m;
  m.AddWriter(&h);
  m.AddWriter(&t);
  m.WriteTitle("Title");
  EXPECT_EQ(h.GetText(), "<h2>Title</h2>\r\n");
  EXPECT_EQ(t.GetText(), "Title\r\n");
  m.ResetWriter();
  m.WriteLine("x");
  EXPECT_EQ(h.GetText(), "x<br />\r\n");
  EXPECT_EQ(t.GetText(), "x\r\n");
}

TEST(SaveToFile, WritesTheWholeBufferAndSaysWhenItCannot) {
  TTxtWriter w;
  w.WriteLine("saved");
  const TTempDir dir("ambrel_save");
  const std::string path = dir / "report.txt";
  EXPECT_TRUE(w.SaveToFile(path));
  // A missing folder and a folder in the file's place fail without touching the buffer.
  EXPECT_FALSE(w.SaveToFile(dir / "missing/y.txt"));
  EXPECT_FALSE(w.SaveToFile(dir.Path().string()));
  EXPECT_EQ(ReadFile(path), "saved\r\n");
  EXPECT_EQ(w.GetText(), "saved\r\n");
}

TEST(Verbatim, FileTextIsEscapedInHtmlAndKeptInText) {
  THTMLWriter h;
  TTxtWriter t;
  TMultiWriter m;
  m.AddWriter(&h);
  m.AddWriter(&t);
  m.WriteField("Title", Verbatim("a</b>b <script>x</script>"));
  m.WriteListField("Codec", Verbatim("\xFE\xFF\xFD raw"));
  EXPECT_EQ(h.GetText(),
            "<b>Title</b> : a&lt;/b&gt;b &lt;script&gt;x&lt;/script&gt;<br />\r\n"
            "<li><b>Codec</b> : \xFE\xFF\xFD raw</li>\r\n");
  EXPECT_EQ(t.GetText(), "Title : a</b>b <script>x</script>\r\n - Codec : \xFE\xFF\xFD raw\r\n");
}

TEST(Verbatim, ProgramMarkupAroundFileTextIsStillStripped) {
  TTxtWriter t;
  t.WriteLine("<b>" + Verbatim("<i>x</i>") + "</b> done");
  EXPECT_EQ(t.GetText(), "<i>x</i> done\r\n");
}

TEST(Verbatim, TrimLooksThroughWrappingsAndEmptyStaysEmpty) {
  EXPECT_EQ(Verbatim(""), "");
  EXPECT_EQ(Trim(" " + Verbatim("  ") + " "), "");
  TTxtWriter t;
  t.WriteField("N", " (" + Verbatim(" x ") + ") ");
  t.WriteField("M", Verbatim(" \t "));
  EXPECT_EQ(t.GetText(), "N : ( x )\r\n");
  EXPECT_EQ(Trim(" " + Verbatim(" a ") + " "), Verbatim("a"));
}

TEST(Verbatim, ProgramTextWithMarkerBytesPassesUnchanged) {
  // Program text in another encoding may hold the marker bytes without forming a wrapping.
  const std::string odd = "Vorbis \xFE\xFD\xFF end \xFE" "12:x\xFF";
  THTMLWriter h;
  TTxtWriter t;
  TMultiWriter m;
  m.AddWriter(&h);
  m.AddWriter(&t);
  m.WriteField("Codec", odd + " (" + Verbatim("A_\xFE" "3:<b>\xFF") + ")");
  m.WriteLine("<b>" + odd + "</b>" + Verbatim("</b>"));
  EXPECT_EQ(t.GetText(), "Codec : " + odd + " (A_\xFE" "3:<b>\xFF)\r\n" + odd + "</b>\r\n");
  EXPECT_EQ(h.GetText(), "<b>Codec</b> : " + odd + " (A_\xFE" "3:&lt;b&gt;\xFF)<br />\r\n<b>" + odd +
                             "</b>&lt;/b&gt;<br />\r\n");
}

TEST(RtfWriter, FileTextStaysTextAndProgramMarkupFormats) {
  struct Case {
    std::string Title, Line, Expected;
  };
  const std::string par = "\\pard\\plain\\fs20";
  const std::string title = par + "\\sb120\\b\\fs26\\cf1 ";
  for (const Case& c : std::vector<Case>{
           // Control words, groups and backslashes in a file's text are escaped.
           {Verbatim("{\\rtf1 x}"), Verbatim("a\\par b"),
            title + "\\{\\\\rtf1 x\\}\\par\r\n" + par + " a\\\\par b\\par\r\n"},
           // Non-ASCII as Unicode escapes (a surrogate pair beyond the BMP), ill-formed bytes as U+FFFD,
           // and tags in a file's text stay text.
           {Verbatim("fran\xC3\xA7" "ais \xF0\x9F\x8E\xAC"), Verbatim("<b>\xE9</b>"),
            title + "fran\\u231?ais \\u-10180?\\u-8276?\\par\r\n" + par + " <b>\\u-3?</b>\\par\r\n"},
           // The program's own markup: bold, a known colour, an unknown one, a line break.
           {"T", "<b>B</b><font color=\"#008800\">OK</font><font color=\"#123456\">x</font><br />",
            title + "T\\par\r\n" + par + " \\b B\\b0 \\cf4 OK\\cf0 \\cf0 x\\cf0 \\line \\par\r\n"},
       }) {
    TRtfWriter w;
    w.WriteTitle(c.Title);
    w.WriteLine(c.Line);
    EXPECT_EQ(w.GetText(), c.Expected) << c.Line;
  }
  TRtfWriter list;
  list.BeginList();
  list.WriteListField("N", Verbatim(" v} "));
  list.EndList();
  EXPECT_EQ(list.GetText(), par + "\\li360 \\u8226? \\b N\\b0  : v\\}\\par\r\n");
  const std::string doc = RtfDocument({list.GetText()});
  EXPECT_TRUE(doc.starts_with("{\\rtf1\\ansi"));
  EXPECT_TRUE(doc.find("\\red0\\green136\\blue0;") != std::string::npos);  // the fourth colour
  EXPECT_TRUE(doc.ends_with(list.GetText() + "}"));
}

TEST(Verbatim, LinksInFileTextStayInert) {
  THTMLWriter h;
  h.WriteLine(Verbatim("http://x\" onmouseover=\"y"));
  EXPECT_EQ(h.GetText(), "<a href=\"http://x&quot;\">http://x&quot;</a> onmouseover=&quot;y<br />\r\n");
}

}  // namespace

TEST(NullWriter, DropsEverythingAndSaysSo) {
  TNullWriter null;
  null.WriteLine("x");
  null.WriteField("a", "b");
  EXPECT_EQ(null.GetText(), "");
  EXPECT_FALSE(null.KeepsText());
  TTxtWriter text;
  TMultiWriter multi;
  EXPECT_FALSE(multi.KeepsText());  // no target
  multi.AddWriter(&null);
  EXPECT_FALSE(multi.KeepsText());
  multi.AddWriter(&text);
  EXPECT_TRUE(multi.KeepsText());
  EXPECT_TRUE(text.KeepsText());
}

// Lines without any '<' take a shorter way through the text writer: wrappings are still
// undone, marker bytes that form none are still kept, whatever part of the line holds them.
TEST(TxtWriter, LinesWithoutTagsAreUnwrappedAsTheOthers) {
  TTxtWriter t;
  t.WriteListItem("00:01 " + Verbatim("Name: \xFE" "2:ab\xFF") + " (hidden)");
  // The line is decoded whole: marker bytes in the name can open a wrapping that ends
  // in the value (trimmed first, through its own wrapping).
  t.WriteField("Odd \xFE" "9:", Verbatim(" x ") + "\xFF");
  t.WriteLine(Verbatim("a") + Verbatim("") + Verbatim("b>"));
  t.WriteLine("\xFE" "1:" + Verbatim("c") + "\xFF");
  EXPECT_EQ(t.GetText(),
            " - 00:01 Name: \xFE" "2:ab\xFF (hidden)\r\n"
            "Odd  : \xFE" "2:x \xFF\r\n"
            "ab>\r\n"
            "\xFE" "1:c\xFF\r\n");
}
