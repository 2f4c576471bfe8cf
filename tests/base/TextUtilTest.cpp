// Text helpers: UTF-8 validity, and paths carried as UTF-16 with their own bytes.
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

// Any byte string survives the trip through the framework interfaces; valid UTF-8 reads
// as it does in any other text.
TEST(PathToWide, GivesThePathsOwnBytesBack) {
  for (const std::string& path : std::initializer_list<std::string>{"caf\xC3\xA9.mkv", "caf\xE9.mkv", "\xE2\x82x\xF0\x9F\x98\x80", "\xED\xA0\x80\xFF",
                                 std::string("a\0b", 3)}) {
    EXPECT_EQ(ambrel::media::PathBytes(ambrel::media::PathToWide(path)), path);
    if (ambrel::IsValidUtf8(path)) {
      EXPECT_EQ(ambrel::media::PathToWide(path), ambrel::media::Utf8ToWide(path));
    }
  }
  EXPECT_EQ(ambrel::media::PathToWide("\xE9"), u"\xDCE9");
}

}  // namespace
