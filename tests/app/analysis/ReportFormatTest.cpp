// Number texts and the chapter tree of the file report.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/analysis/MatroskaReport.h"
#include "base/NumberFormat.h"
#include "base/FloatFormat.h"

using namespace ambrel;

namespace {

TEST(FormatFileSize, PicksTheUnitAndRoundsTiesAwayFromZero) {
  EXPECT_EQ(FormatFileSize(0), "0 bytes");
  EXPECT_EQ(FormatFileSize(-1), "-1 bytes");
  EXPECT_EQ(FormatFileSize(1023), "1023 bytes");
  EXPECT_EQ(FormatFileSize(1024), "1.00 KB");
  EXPECT_EQ(FormatFileSize(1152), "1.13 KB");  // 1.125 exactly
  EXPECT_EQ(FormatFileSize(1536), "1.50 KB");
  EXPECT_EQ(FormatFileSize(1048575), "1024.00 KB");
  EXPECT_EQ(FormatFileSize(1048576), "1.00 MB");
  EXPECT_EQ(FormatFileSize(5 * 1073741824LL), "5.00 GB");
  EXPECT_EQ(FormatFileSize(std::numeric_limits<int64_t>::max()), "8589934592.00 GB");
}

TEST(FloatToStrFixed, CarriesTiesAndKeepsSpecialValues) {
  EXPECT_EQ(FloatToStrFixed(9.995, 2), "9.99");     // not a tie: 9.9949999...
  EXPECT_EQ(FloatToStrFixed(9.875, 2), "9.88");     // tie, away from zero
  EXPECT_EQ(FloatToStrFixed(99.995117187500, 2), "100.00");
  EXPECT_EQ(FloatToStrFixed(-0.125, 2), "-0.13");
  EXPECT_EQ(FloatToStrFixed(0.5, 0), "1");
  EXPECT_EQ(FloatToStrFixed(9.5, 0), "10");
  EXPECT_EQ(FloatToStrFixed(std::nan(""), 2), "NAN");
  EXPECT_EQ(FloatToStrFixed(-INFINITY, 2), "-INF");
}

TEST(FloatToStrGeneral, RoundsTiesAwayFromZeroAtFifteenDigits) {
  EXPECT_EQ(FloatToStrGeneral(281474976710656.5), "281474976710657");
  EXPECT_EQ(FloatToStrGeneral(-281474976710656.5), "-281474976710657");
  EXPECT_EQ(FloatToStrGeneral(999999999999999.5), "1E15");
  EXPECT_EQ(FloatToStrGeneral(0.1), "0.1");
  EXPECT_EQ(FloatToStrGeneral(22050.5), "22050.5");
  EXPECT_EQ(FloatToStrGeneral(0.00001), "0.00001");
  EXPECT_EQ(FloatToStrGeneral(0.000001), "1E-6");
  EXPECT_EQ(FloatToStrGeneral(1.5e20), "1.5E20");
  EXPECT_EQ(FloatToStrGeneral(123456789012345678.0), "1.23456789012346E17");
}

TEST(RoundLow32, RoundsTiesToEvenAndWraps) {
  EXPECT_EQ(ambrel::RoundLow32(2.5), 2u);
  EXPECT_EQ(ambrel::RoundLow32(3.5), 4u);
  EXPECT_EQ(ambrel::RoundLow32(4294967296.0 + 7), 7u);
  EXPECT_EQ(ambrel::RoundLow32(-1.0), 4294967295u);
  EXPECT_EQ(ambrel::RoundLow32(1e300), 0u);
  EXPECT_EQ(ambrel::RoundLow32(std::nan("")), 0u);
  EXPECT_EQ(ambrel::RoundLow32(INFINITY), 0u);
}

TEST(RoundLow64, KeepsAll64Bits) {
  EXPECT_EQ(ambrel::RoundLow64(4294967296.0 + 7.5), 4294967304u);
  EXPECT_EQ(ambrel::RoundLow64(-1.0), UINT64_MAX);
  EXPECT_EQ(ambrel::RoundLow64(18446744073709551616.0 * 3), 0u);
  EXPECT_EQ(ambrel::RoundLow64(std::nan("")), 0u);
}

TMatroskaChapterAtom Atom(int64_t startMs, int64_t endMs, const char* name, bool hidden) {
  TMatroskaChapterAtom atom;
  atom.ChapterTimeStart = startMs * 1000000;
  atom.ChapterTimeEnd = endMs * 1000000;
  atom.ChapterFlagHidden = hidden ? 1 : 0;
  if (name) {
    TMatroskaChapterDisplay display;
    display.ChapString = name;
    atom.Displays.push_back(std::move(display));
  }
  return atom;
}

// Adds an atom read to its end at Depth, as the parser does.
void Add(TChapterOutline& outline, int depth, const TMatroskaChapterAtom& atom) {
  outline.Complete(outline.Open(depth), &atom);
}

TEST(WriteChapters, EveryAtomOpensItsOwnList) {
  TChapterOutline outline;
  outline.Complete(outline.Open(0), nullptr);
  Add(outline, 1, Atom(0, 3723004, "Intro <b>", false));
  Add(outline, 2, Atom(1000, 2000, nullptr, true));
  auto second = Atom(3723004, 3723005, "", false);
  TMatroskaChapterDisplay extra;
  extra.ChapString = "second display";
  second.Displays.push_back(std::move(extra));
  Add(outline, 1, second);
  outline.Complete(outline.Open(0), nullptr);
  Add(outline, 1, Atom(5, 6, "Two", false));

  TTxtWriter text;
  THTMLWriter html;
  WriteChapters(outline, text);
  WriteChapters(outline, html);
  EXPECT_EQ(text.GetText(),
            "Edition entry : 1\r\n"
            "   - 00:00:00.000 - 01:02:03.004 Intro <b>\r\n"
            "     - 00:00:01.000 - 00:00:02.000 (hidden)\r\n"
            "   - 01:02:03.004 - 01:02:03.005 \r\n"
            "Edition entry : 2\r\n"
            "   - 00:00:00.005 - 00:00:00.006 Two\r\n");
  EXPECT_EQ(html.GetText(),
            "<b>Edition entry</b> : 1<br />\r\n"
            "<ul>\r\n<li>00:00:00.000 - 01:02:03.004 Intro &lt;b&gt;</li>\r\n<ul>\r\n"
            "<li>00:00:01.000 - 00:00:02.000 (hidden)</li>\r\n</ul>\r\n</ul>\r\n"
            "<ul>\r\n<li>01:02:03.004 - 01:02:03.005 </li>\r\n</ul>\r\n"
            "<b>Edition entry</b> : 2<br />\r\n"
            "<ul>\r\n<li>00:00:00.005 - 00:00:00.006 Two</li>\r\n</ul>\r\n");
  EXPECT_EQ(text.ListLevel(), 0);
}

TEST(WriteChapters, TimesKeepAll64BitsTakenAsUnsigned) {
  TChapterOutline outline;
  TMatroskaChapterAtom atom;
  atom.ChapterTimeStart = -1500000;                    // -1 ms after truncation
  atom.ChapterTimeEnd = (int64_t{1} << 32) * 1000000;  // 2^32 ms
  Add(outline, 1, atom);
  TMatroskaChapterAtom late;
  late.ChapterTimeStart = int64_t{1200} * 3600000 * 1000000;  // 1200 hours
  late.ChapterTimeEnd = late.ChapterTimeStart + 1000000;
  Add(outline, 1, late);
  TTxtWriter text;
  WriteChapters(outline, text);
  EXPECT_EQ(text.GetText(),
            "   - 5124095576030:25:51.615 - 1193:02:47.296\r\n"
            "   - 1200:00:00.000 - 1200:00:00.001\r\n");
}

}  // namespace
