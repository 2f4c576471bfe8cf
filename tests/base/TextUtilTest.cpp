// Text helpers: UTF-8 validity and UTF-8 <-> UTF-16.
#include "base/TextUtil.h"
#include "base/Utf16.h"

#include <gtest/gtest.h>

namespace {

TEST(ValidUtf8, ReplacesEachMaximalIllFormedSubpart) {
  EXPECT_EQ(ambrel::ValidUtf8("caf\xC3\xA9"), "caf\xC3\xA9");
  EXPECT_EQ(ambrel::ValidUtf8("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
  // A truncated three-byte sequence is one subpart; an overlong lead is one per byte.
  EXPECT_EQ(ambrel::ValidUtf8("\xE2\x82" "x"), "\xEF\xBF\xBD" "x");
  EXPECT_EQ(ambrel::ValidUtf8("\xC0\xAF"), "\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(ambrel::ValidUtf8("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(ambrel::ValidUtf8("\xF0\x9F\x98"), "\xEF\xBF\xBD");
  EXPECT_TRUE(ambrel::IsValidUtf8("\xF0\x9F\x98\x80"));
  EXPECT_FALSE(ambrel::IsValidUtf8("\xF0\x9F\x98"));
}

TEST(Utf8ToWide, DecodesAsValidUtf8DoesAndRoundTrips) {
  using ambrel::media::Utf8ToWide;
  using ambrel::media::WideToUtf8;
  const struct {
    const char* utf8;
    std::u16string wide;
  } cases[] = {
      {"a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", u"a\u00E9\u20AC\U0001F600"},
      // Each maximal ill-formed subpart is one U+FFFD, as in ValidUtf8.
      {"\xE0\x80\x80", u"\uFFFD\uFFFD\uFFFD"},
      {"\xED\xA0\x80x", u"\uFFFD\uFFFD\uFFFDx"},
      {"\xF0\x9F\x98", u"\uFFFD"},
      {"\xC3", u"\uFFFD"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8ToWide(c.utf8), c.wide) << c.utf8;
    EXPECT_EQ(WideToUtf8(c.wide), ambrel::ValidUtf8(c.utf8)) << c.utf8;
  }
  // A lone surrogate becomes U+FFFD.
  EXPECT_EQ(WideToUtf8(std::u16string(1, char16_t(0xD83D)) + u"x"), "\xEF\xBF\xBDx");
}

}  // namespace
