// Track entries: defaults, video and audio settings, wrapped codec keys.
#include <gtest/gtest.h>

#include <optional>

#include "EbmlBuilder.h"
#include "matroska/CodecProfile.h"

using namespace ambrel;

using namespace ebml;

namespace {

// Parses a file whose Tracks element holds the given entries.
struct TTracks : TParse {
  explicit TTracks(std::initializer_list<std::string> entries)
      : TParse(Header() + Segment(Master(kTracks, entries) + Cluster())) {}
  const TMatroskaTrackEntry& Track(size_t i) const { return Reader.Tracks.at(i); }
};

// A CodecPrivate of `size` zero bytes with `bytes` written at offset `at`.
std::string Private(size_t size, size_t at = 0, const std::string& bytes = "") {
  std::string data(size, '\0');
  data.replace(at, bytes.size(), bytes);
  return Element(kCodecPrivate, data);
}

}  // namespace

TEST(Tracks, DefaultsLowBitsAndSettings) {
  TTracks p({Master(kTrackEntry, {Uint(kTrackType, 0x101), Uint(kTrackUID, 0x123456789ull)}),
             Master(kTrackEntry, {Master(kVideo, {Uint(kPixelWidth, 720), Uint(kPixelHeight, 576)}),
                                  Master(kAudio, {Float8(kSamplingFrequency, 44100)})}),
             Master(kTrackEntry, {Master(kVideo, {Uint(kPixelWidth, 720), Uint(kPixelHeight, 576),
                                                  Uint(kDisplayWidth, 1024)}),
                                  Master(kAudio, {})}),
             Master(kTrackEntry, {Master(kVideo, {Uint(kDisplayHeight, 400), Uint(kPixelWidth, 720),
                                                  Uint(kPixelHeight, 576)})})});
  const TMatroskaTrackEntry& t = p.Track(0);
  EXPECT_EQ(t.FlagEnabled + t.FlagDefault + t.FlagLacing + t.CodecDecodeAll, 4u);
  EXPECT_EQ(t.TrackTimecodeScale, 1.0);
  EXPECT_EQ(t.Language, "eng");
  EXPECT_EQ(t.SamplingFrequency, 0);
  // Integers keep their low bits; the log shows the whole value.
  EXPECT_EQ(t.TrackType, 1);
  EXPECT_EQ(t.TrackUID, 0x123456789u);
  EXPECT_NE(p.Log().find("        TrackType : 257\r\n        TrackUID : 4886718345\r\n"), std::string::npos);
  // Video and audio settings of one track stay apart.
  const TMatroskaTrackEntry& both = p.Track(1);
  EXPECT_EQ(both.DisplayWidth, 720u);
  EXPECT_EQ(both.DisplayHeight, 576u);
  EXPECT_EQ(both.SamplingFrequency, 44100);
  EXPECT_EQ(both.OutputSamplingFrequency, 44100);
  EXPECT_EQ(both.Channels, 1u);
  // One display dimension given: the other one is the pixel size, whatever the order of
  // the elements. An empty Audio element: 8000 Hz.
  EXPECT_EQ(p.Track(2).DisplayWidth, 1024u);
  EXPECT_EQ(p.Track(2).DisplayHeight, 576u);
  EXPECT_EQ(p.Track(2).OutputSamplingFrequency, 8000);
  EXPECT_EQ(p.Track(3).DisplayWidth, 720u);
  EXPECT_EQ(p.Track(3).DisplayHeight, 400u);
}

TEST(Tracks, WrappedCodecKeys) {
  // CodecPrivate may come before CodecID and TrackType.
  TTracks p({Master(kTrackEntry, {Private(40, 16, "XVID"), Str(kCodecID, "V_MS/VFW/FOURCC"), Uint(kTrackType, 1)}),
             Master(kTrackEntry, {Uint(kTrackType, 2), Str(kCodecID, "A_MS/ACM"), Private(18, 0, "\x01\x16")}),
             // Nothing is derived without TrackType, for another letter case, or from too few bytes.
             Master(kTrackEntry, {Str(kCodecID, "V_MS/VFW/FOURCC"), Private(40, 16, "XVID")}),
             Master(kTrackEntry, {Uint(kTrackType, 1), Str(kCodecID, "v_ms/vfw/fourcc"), Private(40, 16, "XVID")}),
             Master(kTrackEntry, {Uint(kTrackType, 1), Str(kCodecID, "V_MS/VFW/FOURCC"), Private(19, 16, "XVI")}),
             Master(kTrackEntry, {Uint(kTrackType, 1), Str(kCodecID, "V_MS/VFW/FOURCC")}),
             Master(kTrackEntry, {Uint(kTrackType, 2), Str(kCodecID, "A_MS/ACM"), Private(1, 0, "\x55")}),
             Master(kTrackEntry, {Uint(kTrackType, 2), Str(kCodecID, "A_MS/ACM")})});
  ASSERT_EQ(p.Reader.Tracks.size(), 8u);
  EXPECT_EQ(p.Track(0).Fourcc, "XVID");
  EXPECT_EQ(p.Track(0).CodecPrivate.size(), 40u);
  EXPECT_EQ(p.Track(1).FormatTag, 0x1601u);
  EXPECT_TRUE(p.Track(1).HasFormatTag);
  for (size_t i = 2; i < 6; ++i) EXPECT_EQ(p.Track(i).Fourcc, "") << i;
  EXPECT_TRUE(IsVfwFourccTrack(&p.Track(5)));
  for (size_t i = 6; i < 8; ++i) {
    EXPECT_FALSE(p.Track(i).HasFormatTag) << i;
    EXPECT_EQ(p.Track(i).FormatTag, 0u) << i;
  }
  EXPECT_FALSE(p.Track(7).HasCodecPrivate);
  EXPECT_EQ(p.Log().find("CodecPrivate"), std::string::npos);  // blocks are not logged
}

TEST(Tracks, FloatOfWrongLengthEndsTheParse) {
  TTracks p({Master(kTrackEntry, {Uint(kTrackNumber, 1)}),
             Master(kTrackEntry, {Master(kAudio, {Element(kSamplingFrequency, std::string(10, '\0'))})})});
  EXPECT_NE(p.Error.find("ReadValueFloat SamplingFrequency : Float wrong length (10) at position "), std::string::npos);
  EXPECT_EQ(p.Reader.Tracks.size(), 1u);  // the entry being read is dropped
}

// Elements read for the records only: their values are kept, the log shows each of them as
// an unknown element, and a broken one is skipped without ending the parse.
TEST(Tracks, RecordOnlyElementsAreReadAndLoggedAsSkipped) {
  const std::string wrongFloat = Element(kLuminanceMin, std::string(10, '\0'));
  std::string encodings;
  for (int i = 0; i < 17; ++i) encodings += Master(kContentEncoding, {Uint(kContentEncodingOrder, i)});
  TTracks p({Master(kTrackEntry,
                    {Uint(kTrackNumber, 1), Str(kLanguageBCP47, "pt-BR"), Uint(kFlagForced, 1),
                     Uint(kFlagCommentary, 1), Uint(kCodecDelay, 6500000),
                     Master(kContentEncodings,
                            {Master(kContentEncoding, {Uint(kContentEncodingOrder, 0),
                                                       Master(kContentCompression, {Uint(kContentCompAlgo, 3)}),
                                                       Master(kContentEncryption, {})})}),
                     Master(kVideo, {Uint(kPixelWidth, 720), Uint(kFlagInterlaced, 1), Uint(kPixelCropTop, 8),
                                     Master(kColour, {Uint(kMatrixCoefficients, 9),
                                                      Master(kMasteringMetadata, {Float8(kLuminanceMax, 1000)})})}),
                     Uint(kTrackType, 1)}),
             Master(kTrackEntry, {Uint(kTrackNumber, 2), Master(kContentEncodings, {encodings}),
                                  Master(kVideo, {Master(kColour, {Master(kMasteringMetadata, {wrongFloat})})}),
                                  Uint(kTrackType, 1)}),
             Master(kTrackEntry, {Uint(kTrackNumber, 3)})});
  ASSERT_EQ(p.Reader.Tracks.size(), 3u);
  const TMatroskaTrackExtras& x = TrackExtrasOf(p.Track(0));
  EXPECT_EQ(x.LanguageBCP47, "pt-BR");
  EXPECT_EQ(x.FlagForced + x.FlagCommentary + x.FlagOriginal, 2);
  EXPECT_EQ(x.CodecDelay, 6500000u);
  ASSERT_EQ(x.ContentEncodings.size(), 1u);
  EXPECT_EQ(x.ContentEncodings[0].Scope, 1u);
  EXPECT_TRUE(x.ContentEncodings[0].HasCompression && x.ContentEncodings[0].HasEncryption);
  EXPECT_EQ(x.ContentEncodings[0].CompAlgo, 3u);
  EXPECT_EQ(x.FlagInterlaced, 1);
  EXPECT_EQ(x.FieldOrder, 2);
  EXPECT_EQ(x.PixelCropTop, 8u);
  ASSERT_TRUE(x.Colour);
  EXPECT_EQ(x.Colour.get()->MatrixCoefficients, 9u);
  EXPECT_EQ(x.Colour.get()->Primaries, 2u);
  ASSERT_TRUE(x.Colour.get()->Mastering);
  EXPECT_EQ(x.Colour.get()->Mastering.get()->LuminanceMax, 1000);
  EXPECT_EQ(p.Track(0).PixelWidth, 720u);
  EXPECT_EQ(p.Track(0).TrackType, 1);
  // Eight elements (and two of the second track) skipped in the log, none of their names or values shown.
  const std::string log = p.Log();
  size_t skipped = 0;
  for (size_t at = 0; (at = log.find("Skipping element with ID ", at)) != std::string::npos; ++at) ++skipped;
  EXPECT_EQ(skipped, 8u + 2u);
  for (const char* hidden : {"LanguageBCP47", "pt-BR", "Colour", "Matrix", "ContentEnc", "6500000"})
    EXPECT_EQ(log.find(hidden), std::string::npos) << hidden;
  EXPECT_NE(log.find("        Skipping element with ID 22B59D at position "), std::string::npos);
  EXPECT_NE(log.find("            Skipping element with ID 55B0 at position "), std::string::npos);
  // Bounded, and broken content costs only its own values.
  EXPECT_EQ(TrackExtrasOf(p.Track(1)).ContentEncodings.size(), TMatroskaTrackExtras::kMaxContentEncodings);
  EXPECT_TRUE(TrackExtrasOf(p.Track(1)).Colour);
  EXPECT_TRUE(p.Error.empty());
  EXPECT_FALSE(p.Track(2).Extras);
  EXPECT_EQ(TrackExtrasOf(p.Track(2)).FieldOrder, 2);
}

// Profile and level from each codec's standard record; a record of another version or cut
// short gives nothing.
TEST(Tracks, ProfileAndLevelFromTheCodecsRecord) {
  struct TCase {
    const char* CodecID;
    std::string Private;
    std::optional<int> Profile, Level;
  };
  const TCase cases[] = {
      {"V_MPEG4/ISO/AVC", std::string("\x01\x64\x00\x28", 4), 100, 40},
      {"V_MPEG4/ISO/AVC", std::string("\x02\x64\x00\x28", 4), {}, {}},
      {"V_MPEG4/ISO/AVC", std::string("\x01\x64\x00", 3), {}, {}},
      {"V_MPEGH/ISO/HEVC", std::string("\x01\x22") + std::string(10, '\0') + "\x5D", 2, 93},
      {"V_AV1", std::string("\x81\x28", 2), 1, 8},
      {"V_VP9", std::string("\x03\x01\x0A\x01\x01\x02\x02\x01\x1F", 9), 2, 31},
      {"V_VP9", std::string("\x01\x05\x02", 3), {}, {}},
      {"A_AAC", std::string("\x12\x10", 2), 2, {}},
      {"A_AAC", std::string("\xF8\x20", 2), 33, {}},
      {"A_VORBIS", std::string("\x01\x64\x00\x28", 4), {}, {}},
  };
  for (const TCase& c : cases) {
    TMatroskaTrackEntry t;
    t.CodecID = c.CodecID;
    t.CodecPrivate.assign(c.Private.begin(), c.Private.end());
    const TCodecProfile p = CodecProfileOf(t);
    EXPECT_EQ(p.Profile, c.Profile) << c.CodecID << " " << c.Private.size();
    EXPECT_EQ(p.Level, c.Level) << c.CodecID << " " << c.Private.size();
  }
}
