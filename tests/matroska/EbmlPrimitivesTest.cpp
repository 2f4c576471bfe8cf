// Element headers, value readers and the float text.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>

#include "EbmlBuilder.h"

using namespace ambrel;

using namespace ebml;

namespace {

// An element reader over bytes, at Level 1 (no indentation).
struct TPrimitives {
  explicit TPrimitives(const std::string& bytes)
      : File(std::make_unique<ambrel::TMemorySource>(bytes)), Reader(File, Log), E(&Reader) {
    Reader.EnterElement(E);
  }
  TTxtWriter Log;
  TFileReader File;
  TEbmlReader Reader;
  TEbmlElement E;
};

std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EMatroskaError& e) {
    return e.what();
  }
  return "(no error)";
}

}  // namespace

// A header with a dozen bytes after it is decoded from the read-ahead buffer at once, one
// at the end of the file byte by byte: both give the same fields.
TEST(EbmlElement, HeadersDecodeAlikeFromTheBufferAndByteByByte) {
  std::mt19937 rng(7);
  for (int i = 0; i < 5000; ++i) {
    std::string bytes(12, '\0');
    for (char& c : bytes) c = static_cast<char>(rng());
    // Short, long and marker-less fields alike.
    for (size_t k = 0; k < 5; ++k) bytes[k] = static_cast<char>(static_cast<uint8_t>(bytes[k]) >> (rng() % 9));
    TPrimitives buffered(bytes + std::string(12, 'x'));
    ASSERT_GT(buffered.E.ReadHeader(), 0u);
    const int64_t used = buffered.File.GetPosition();
    if (used >= 12) continue;  // every header this long is decoded from the buffer
    TPrimitives alone(bytes.substr(0, static_cast<size_t>(used)));
    ASSERT_EQ(alone.E.ReadHeader(), buffered.E.IDLength + buffered.E.SizeLength) << i;
    EXPECT_EQ(alone.E.ID, buffered.E.ID) << i;
    EXPECT_EQ(alone.E.IDLength, buffered.E.IDLength) << i;
    EXPECT_EQ(alone.E.DataSize, buffered.E.DataSize) << i;
    EXPECT_EQ(alone.E.SizeLength, buffered.E.SizeLength) << i;
    EXPECT_EQ(alone.E.TotalSize, buffered.E.TotalSize) << i;
    EXPECT_EQ(alone.File.GetPosition(), used) << i;
  }
}

TEST(EbmlElement, HeaderCodings) {
  TPrimitives p(std::string("\x1A\x45\xDF\xA3\x9F"      // EBML ID, size 31
                            "\xEC\x40\x02"              // Void, two-byte size 2
                            "\xEC\x01\xFF\xFF\xFF\xFF\xFF\xFF\xFF"  // all ones: 2^56 - 1, nothing special
                            "\x01\x02\x03\x04"          // no marker within four ID bytes: length 5
                            "\x00\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 30));  // no marker in the size: length 9
  EXPECT_EQ(p.E.ReadHeader(), 5u);
  EXPECT_EQ(p.E.ID, kEBML);
  EXPECT_EQ(p.E.DataSize, 31);
  EXPECT_EQ(p.E.TotalSize, 36);
  p.E.ReadHeader();
  EXPECT_EQ(p.E.DataSize, 2);
  EXPECT_EQ(p.E.SizeLength, 2u);
  p.E.ReadHeader();
  EXPECT_EQ(p.E.DataSize, (int64_t{1} << 56) - 1);
  EXPECT_EQ(p.E.ReadHeader(), 14u);
  EXPECT_EQ(p.E.ID, 0x02030400u);  // the accumulation after its final shift
  EXPECT_EQ(p.E.IDLength, 5u);
  EXPECT_EQ(p.E.SizeLength, 9u);
  EXPECT_EQ(p.E.DataSize, static_cast<int64_t>(0x7FFFFFFFFFFFFF00));
  EXPECT_EQ(p.E.ReadHeader(), 0u);  // end of file
}

TEST(EbmlElement, IntegersAndStrings) {
  TPrimitives p(Element(kTrackNumber, "") +                                  // length 0
                Element(kTrackNumber, std::string("\x01\x00\x00", 3)) +      // 65536
                Element(kTrackNumber, "\x09\x01\x02\x03\x04\x05\x06\x07\x08") +  // nine bytes: the last eight stay
                Uint(kTrackNumber, 0xFFFFFFFFFFFFFFFEull, 8) +               // top bit set: logged negative
                Str(kCodecID, std::string("abc\0\0\0", 6)) + Str(kCodecID, "") +
                Str(kCodecID, " <b>x</b> \xFE\xFF\xFD\xC3\xA9\x01"));  // markup and wrapping bytes pass unchanged
  uint64_t v[4];
  for (uint64_t& x : v) {
    p.E.ReadHeader();
    x = p.E.ReadValueUINT("TrackNumber");
  }
  EXPECT_EQ(v[1], 65536u);
  EXPECT_EQ(v[2], 0x0102030405060708u);
  std::string s[3];
  for (std::string& x : s) {
    p.E.ReadHeader();
    p.E.ReadValueString("CodecID", x);
  }
  EXPECT_EQ(s[0], "abc");
  EXPECT_EQ(p.Log.GetText(), Log({"TrackNumber : 0", "TrackNumber : 65536", "TrackNumber : 72623859790382856",
                                  "TrackNumber : -2", "CodecID : abc", "CodecID : <b>x</b> \xFE\xFF\xFD\xC3\xA9"}));
}

TEST(EbmlElement, FloatsAndValueErrors) {
  TPrimitives p(Element(kSamplingFrequency, std::string("\x3F\x80\x00\x00", 4)) + Float8(kSamplingFrequency, 1e-6) +
                Element(kSamplingFrequency, std::string(10, '\0')));
  p.E.ReadHeader();
  EXPECT_EQ(p.E.ReadValueFloat("SamplingFrequency"), 1.0);
  p.E.ReadHeader();
  p.E.ReadValueFloat("SamplingFrequency");
  p.E.ReadHeader();
  EXPECT_EQ(ErrorOf([&] { p.E.ReadValueFloat("SamplingFrequency"); }),
            "ReadValueFloat SamplingFrequency : Float wrong length (10) at position 16 (length must be 4 or 8).");
  EXPECT_EQ(p.Log.GetText(), Log({"SamplingFrequency : 1", "SamplingFrequency : 1E-6"}));

  // Each element claims one byte more than the file holds; a Void stands before it.
  auto cut = [](uint32_t id, int size) { return "\xEC\x80" + Id(id) + Size(size) + std::string(size - 1, 'x'); };
  TPrimitives u(cut(kTrackNumber, 3)), s(cut(kCodecID, 5)), f(cut(kDuration, 8)), b(cut(kCodecPrivate, 7));
  for (TPrimitives* q : {&u, &s, &f, &b}) {
    q->E.ReadHeader();
    q->E.Skip();
    q->E.ReadHeader();
  }
  std::string str;
  std::vector<uint8_t> block;
  EXPECT_EQ(ErrorOf([&] { u.E.ReadValueUINT("TrackNumber"); }), "ReadValueUINT TrackNumber : read error at position 2");
  EXPECT_EQ(ErrorOf([&] { s.E.ReadValueString("CodecID", str); }), "ReadValueString CodecID : read error at position 2");
  EXPECT_EQ(ErrorOf([&] { f.E.ReadValueFloat("Duration"); }), "ReadValueFloat Duration : read error at position 2");
  EXPECT_EQ(ErrorOf([&] { b.E.ReadValueBinary(block, "CodecPrivate"); }),
            "ReadValueBinary CodecPrivate : read error at position 2.");
  EXPECT_EQ(u.Log.GetText(), Log({"Skipping element with ID EC at position 0"}));
}

TEST(FloatFormat, GeneralText) {
  const std::pair<double, const char*> cases[] = {
      {0, "0"}, {5000, "5000"}, {22050.5, "22050.5"}, {-2.25, "-2.25"}, {0.1 + 0.2, "0.3"},
      {1.0 / 3, "0.333333333333333"}, {0.00001, "0.00001"}, {1e-6, "1E-6"}, {-2.5e-7, "-2.5E-7"},
      {999999999999999, "999999999999999"}, {1e15, "1E15"}, {1.5e20, "1.5E20"},
      {123456789012345678901.0, "1.23456789012346E20"}, {std::numeric_limits<double>::quiet_NaN(), "NAN"},
      {INFINITY, "INF"}, {-INFINITY, "-INF"}};
  for (const auto& [value, text] : cases) EXPECT_EQ(FloatToStrGeneral(value), text) << value;
}
