// Text helpers: UTF-8 validity.
#include "base/TextUtil.h"

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

}  // namespace
