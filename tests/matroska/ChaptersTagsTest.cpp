// Attachments, chapters (end times, nesting limit) and tags.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "EbmlBuilder.h"

using namespace ambrel;

using namespace ebml;

namespace {

constexpr int64_t kSecond = 1000000000;

std::string Atom(int64_t start, std::initializer_list<std::string> more = {}) {
  std::string data = Uint(kChapterTimeStart, start);
  for (const std::string& m : more) data += m;
  return Element(kChapterAtom, data);
}

std::string Chapters(std::initializer_list<std::string> atoms) {
  return Master(kChapters, {Master(kEditionEntry, atoms)});
}

std::string InfoMs(double duration, uint64_t scale = 1000000) {
  return Master(kInfo, {Uint(kTimecodeScale, scale), Float8(kDuration, duration)});
}

// count nested elements of the given ID, each holding `payload` and then the next one,
// written front to back (each with an 8-byte size field).
std::string Nested(uint32_t id, const std::string& payload, int count) {
  std::string out;
  const int64_t perLevel = 1 + 8 + static_cast<int64_t>(payload.size());
  out.reserve(static_cast<size_t>(perLevel * count));
  for (int depth = 1; depth <= count; ++depth) {
    out += Id(id) + Size(static_cast<uint64_t>(perLevel * (count - depth + 1) - 9), 8) + payload;
  }
  return out;
}

const TMatroskaChapterAtom& Top(const TParse& p, size_t i) { return p.Reader.Editions.at(0).ChapterAtoms.at(i); }

}  // namespace

TEST(Chapters, EndTimesFromNextStartAndSegmentLength) {
  TParse p(Header() + Segment(InfoMs(180000) +
                              Chapters({Atom(0), Atom(60 * kSecond), Atom(120 * kSecond)}) + Cluster()));
  ASSERT_TRUE(p.Result);
  EXPECT_EQ(Top(p, 0).ChapterTimeEnd, 60 * kSecond);
  EXPECT_EQ(Top(p, 1).ChapterTimeEnd, 120 * kSecond);
  EXPECT_EQ(Top(p, 2).ChapterTimeEnd, 180 * kSecond);
}

TEST(Chapters, SegmentLengthUsesTimecodeScaleAndInfoAfterChapters) {
  // Chapters stand before Info, and the scale is not the usual one: the last atom still
  // ends with the segment (1800 x 100 ms).
  TParse p(Header() + Segment(Chapters({Atom(0), Atom(60 * kSecond)}) + InfoMs(1800, 100000000) + Cluster()));
  EXPECT_EQ(Top(p, 1).ChapterTimeEnd, 180 * kSecond);
  EXPECT_EQ(p.Reader.SegmentInfo.Duration, 180000);
  // Without Duration the last atom ends at 0.
  TParse none(Header() + Segment(Chapters({Atom(0), Atom(60 * kSecond)}) + Cluster()));
  EXPECT_EQ(Top(none, 1).ChapterTimeEnd, 0);
  EXPECT_EQ(Top(none, 0).ChapterTimeEnd, 60 * kSecond);
  // Filled even when the parse ends before a Cluster.
  TParse noCluster(Header() + Segment(InfoMs(1000) + Chapters({Atom(0)})));
  EXPECT_FALSE(noCluster.Result);
  EXPECT_EQ(Top(noCluster, 0).ChapterTimeEnd, 1000000000);
}

TEST(Chapters, NestedAtomsGetTheirParentsEnd) {
  TParse p(Header() + Segment(InfoMs(500000) +
                              Chapters({Atom(0, {Uint(kChapterTimeEnd, 100 * kSecond), Atom(0), Atom(30 * kSecond)}),
                                        Atom(200 * kSecond, {Atom(200 * kSecond), Atom(250 * kSecond)})}) +
                              Cluster()));
  const TMatroskaChapterAtom& first = Top(p, 0);
  EXPECT_EQ(first.ChapterTimeEnd, 100 * kSecond);  // given by the file: kept
  EXPECT_EQ(first.ChapterAtoms.at(0).ChapterTimeEnd, 30 * kSecond);
  EXPECT_EQ(first.ChapterAtoms.at(1).ChapterTimeEnd, 100 * kSecond);
  const TMatroskaChapterAtom& last = Top(p, 1);
  EXPECT_EQ(last.ChapterTimeEnd, 500 * kSecond);
  EXPECT_EQ(last.ChapterAtoms.at(1).ChapterTimeEnd, 500 * kSecond);
}

TEST(Chapters, SegmentLengthConversion) {
  EXPECT_EQ(SegmentLengthNs(0.5, 1), 0);  // ties to even
  EXPECT_EQ(SegmentLengthNs(1.5, 1), 2);
  EXPECT_EQ(SegmentLengthNs(2.5, 1), 2);
  EXPECT_EQ(SegmentLengthNs(5000, 1000000), 5000000000);
  EXPECT_EQ(SegmentLengthNs(std::nan(""), 1000000), 0);
  EXPECT_EQ(SegmentLengthNs(INFINITY, 1000000), 0);
  EXPECT_EQ(SegmentLengthNs(1e303, 1000000), 0);  // the product overflows to infinity
  EXPECT_EQ(SegmentLengthNs(1e13, 1000000), std::numeric_limits<int64_t>::max());
  // The scale is unsigned: the largest one does not turn the length negative.
  EXPECT_EQ(SegmentLengthNs(1, ~uint64_t{0}), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(SegmentLengthNs(-1e13, 1000000), std::numeric_limits<int64_t>::min());
}

TEST(Chapters, TrackNumbersAndDisplays) {
  // 33 track numbers over two ChapterTrack elements: 32 are kept, the last is skipped.
  std::string tracks;
  for (int i = 1; i <= 31; ++i) tracks += Uint(kChapterTrackNumber, i);
  const std::string second = Element(kChapterTrack, Uint(kChapterTrackNumber, 32) + Uint(kChapterTrackNumber, 33));
  TParse p(Header() + Segment(Chapters({Atom(0, {Element(kChapterTrack, tracks), second,
                                                 Master(kChapterDisplay, {Str(kChapString, "One"), Str(kChapLanguage, "eng")}),
                                                 Master(kChapterDisplay, {Str(kChapString, "Un")})})}) +
                              Cluster()));
  const TMatroskaChapterAtom& a = Top(p, 0);
  EXPECT_EQ(a.ChapterTrackNumbers.size(), 32u);
  EXPECT_EQ(a.ChapterTrackNumbers[31], 32);
  ASSERT_EQ(a.Displays.size(), 2u);
  EXPECT_EQ(a.Displays[0].ChapLanguage, "eng");
  EXPECT_NE(p.Log().find("                ChapterTrackNumber : 32\r\n                Skipping element with ID 89 at position "),
            std::string::npos);
}

TEST(Chapters, DeepNestingIsCutAtTheLimit) {
  // 100,000 nested atoms, then a second top-level atom after them.
  const std::string deep = Nested(kChapterAtom, Uint(kChapterUID, 1), 100000);
  const std::string chapters = Element(kChapters, Element(kEditionEntry, deep + Atom(7 * kSecond)));
  const std::string head = Header();
  const std::string file = head + Segment(chapters + Cluster());
  TParse p(file);
  ASSERT_TRUE(p.Result) << p.Error;
  const auto& atoms = p.Reader.Editions.at(0).ChapterAtoms;
  ASSERT_EQ(atoms.size(), 2u);
  EXPECT_EQ(atoms[1].ChapterTimeStart, 7 * kSecond);
  int depth = 1;
  for (const TMatroskaChapterAtom* a = &atoms[0]; !a->ChapterAtoms.empty(); a = &a->ChapterAtoms[0]) ++depth;
  EXPECT_EQ(depth, kMaxNestingDepth);
  // The atom at depth 65 is skipped with the usual line, at the indentation of its parent's values.
  // Chapters: 4-byte ID, 3-byte size; EditionEntry: 2 and 3; 13 bytes per atom header and UID.
  const size_t at = head.size() + 12 + 7 + 5 + 13 * kMaxNestingDepth;
  const std::string skip = std::string(4 * (kMaxNestingDepth + 2), ' ') + "Skipping element with ID B6 at position " +
                           std::to_string(at) + "\r\n";
  EXPECT_NE(p.Log().find(skip), std::string::npos);
  EXPECT_EQ(p.Log().find("Skipping"), p.Log().rfind("Skipping"));
}

TEST(Tags, TargetsAndNestedSimpleTags) {
  TParse p(Header() + Segment(Master(kTags, {Master(kTag, {
      Master(kTargets, {Uint(kTargetTypeValue, 50), Uint(kTagTrackUID, 11), Uint(kTagChapterUID, 12)}),
      Master(kTargets, {Uint(kTagTrackUID, 21)}),
      Master(kSimpleTag, {Str(kTagName, "TITLE"), Str(kTagString, "Film"),
                          Master(kSimpleTag, {Str(kTagName, "SUBTITLE")})}),
      Master(kSimpleTag, {Str(kTagName, "YEAR"), Element(kTagBinary, "bin")})})}) + Cluster()));
  ASSERT_EQ(p.Reader.Tags.size(), 1u);
  const TMatroskaTag& tag = p.Reader.Tags[0];
  EXPECT_EQ(tag.Targets.TargetTypeValue, 50u);
  EXPECT_EQ(tag.Targets.TrackUID, 21u);    // overwritten by the second Targets
  EXPECT_EQ(tag.Targets.ChapterUID, 12u);  // kept from the first
  ASSERT_EQ(tag.SimpleTags.size(), 2u);
  EXPECT_EQ(tag.SimpleTags[0].TagString, "Film");
  ASSERT_EQ(tag.SimpleTags[0].SimpleTags.size(), 1u);
  EXPECT_EQ(tag.SimpleTags[0].SimpleTags[0].TagName, "SUBTITLE");
  EXPECT_NE(p.Log().find("            SimpleTag :\r\n                TagName : SUBTITLE\r\n"), std::string::npos);
  EXPECT_NE(p.Log().find("Skipping element with ID 4485"), std::string::npos);  // TagBinary
}

TEST(Tags, DeepSimpleTagNestingIsCutAtTheLimit) {
  const std::string deep = Nested(kSimpleTag, Str(kTagName, "N"), 100000);
  TParse p(Header() + Segment(Element(kTags, Element(kTag, deep)) + Cluster()));
  ASSERT_TRUE(p.Result) << p.Error;
  int depth = 1;
  for (const TMatroskaSimpleTag* s = &p.Reader.Tags.at(0).SimpleTags.at(0); !s->SimpleTags.empty();
       s = &s->SimpleTags[0])
    ++depth;
  EXPECT_EQ(depth, kMaxNestingDepth);
}
