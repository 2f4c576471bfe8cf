// The byte stream: positions, reads and the drain.
#include "base/ByteStream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ambrel;

namespace {

TEST(Buffer, StreamSeekClampsAndReadAdvances) {
  TByteStream s;
  s.Write("hello");
  EXPECT_EQ(s.Seek(-3, 0), 0);
  EXPECT_EQ(s.Seek(99, 1), 5);
  s.Seek(1);
  EXPECT_EQ(s.Read(3), "ell");
  s.Write("P");
  EXPECT_EQ(s.Bytes(), "hellP");
}

TEST(Buffer, DrainTakesTheBytesOnceTheyReachTheThreshold) {
  TByteStream s;
  std::vector<std::string> drained;
  s.FlushDrain();  // no drain: nothing happens
  s.Write("abc");
  s.SetDrain([&](std::string_view bytes) { drained.emplace_back(bytes); }, 4);
  s.Write("d");  // 4 bytes: handed over, and the buffer starts afresh
  s.Write("ef");
  s.Write("");  // an empty write below the threshold keeps what is held
  EXPECT_EQ(s.Bytes(), "ef");
  s.Write("ghijk");
  s.FlushDrain();
  s.FlushDrain();  // nothing left: no empty chunk
  EXPECT_EQ(drained, (std::vector<std::string>{"abcd", "efghijk"}));
  EXPECT_EQ(s.Size(), 0);
  s.SetDrain(nullptr, 0);
  s.Write("kept");
  EXPECT_EQ(s.Bytes(), "kept");
}

}  // namespace
