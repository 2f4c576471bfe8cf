// The top-level parse: segment information, seek head, the seek phase and completeness.
#include <gtest/gtest.h>

#include "EbmlBuilder.h"
#include "matroska/MatroskaParse.h"

using namespace ambrel;

using namespace ebml;

namespace {

std::string Seek(uint32_t id, uint64_t position) {
  return Master(kSeek, {Uint(kSeekID, id), Uint(kSeekPosition, position)});
}

std::string Info(double duration, uint64_t scale = 1000000) {
  return Master(kInfo, {Uint(kTimecodeScale, scale), Float8(kDuration, duration)});
}

std::string AudioTrack(uint64_t number) {
  return Master(kTrackEntry, {Uint(kTrackNumber, number), Uint(kTrackType, 2), Str(kCodecID, "A_VORBIS"),
                              Master(kAudio, {Float8(kSamplingFrequency, 44100), Uint(kChannels, 2)})});
}

}  // namespace

TEST(Segment, SmallFileFullLog) {
  const std::string head = Header();
  // Segment children: SeekHead (pointing at Info), Info, Void, Tracks, Cluster.
  const std::string seekHeadProbe = Master(kSeekHead, {Seek(kInfo, 0)});
  const std::string seekHead = Master(kSeekHead, {Seek(kInfo, seekHeadProbe.size())});
  const std::string info = Info(5000);
  const std::string children = seekHead + info + Element(kVoid, "xx") + Master(kTracks, {AudioTrack(1)}) + Cluster();
  TParse p(head + Segment(children));
  ASSERT_TRUE(p.Result) << p.Error;
  const int64_t dataPos = head.size() + 12;
  const int64_t voidPos = dataPos + seekHead.size() + info.size();
  EXPECT_EQ(p.Log(), Log({"DocType : matroska", "DocTypeVersion : 1", "DocTypeReadVersion : 1",
                          "MetaSeek Info :", "    MetaSeek seek Info :", "        SeekID : 357149030",
                          "        SeekPosition : " + std::to_string(seekHead.size()), "Segment Info :",
                          "    TimecodeScale : 1000000", "    Duration : 5000",
                          "Skipping element with ID EC at position " + std::to_string(voidPos), "Tracks :",
                          "    TrackEntry :", "        TrackNumber : 1", "        TrackType : 2",
                          "        CodecID : A_VORBIS", "        Audio :", "            SamplingFrequency : 44100",
                          "            Channels : 2"}));
  const TMatroskaSegmentInfo& si = p.Reader.SegmentInfo;
  EXPECT_EQ(si.SegmentDataPosition, dataPos);
  EXPECT_EQ(si.SegmentSize, static_cast<int64_t>(12 + children.size()));
  EXPECT_EQ(si.ClusterPosition, static_cast<int64_t>(head.size() + 12 + children.size() - Cluster().size()));
  EXPECT_EQ(p.File.GetPosition(), si.ClusterPosition);  // the file is left at the first Cluster
  EXPECT_EQ(p.Reader.EbmlReader->Level(), 1);           // only the Segment stays open
  EXPECT_EQ(p.Reader.FindSeekPosition(kInfo), static_cast<int64_t>(seekHead.size()));
  EXPECT_EQ(p.Reader.FindSeekPosition(kTags), -1);
}

TEST(Segment, CompletenessAndDuration) {
  const std::string file = Header() + Segment(Info(5000, 100000) + Cluster() + Cluster());
  EXPECT_TRUE(TParse(file).Reader.SegmentInfo.Complete);
  EXPECT_EQ(TParse(file).Reader.SegmentInfo.Duration, 500);
  // Cut in the middle of the first Cluster: the Cluster is reached, the file is not whole.
  TParse cut(file.substr(0, file.size() - Cluster().size() - 2));
  EXPECT_TRUE(cut.Result);
  EXPECT_FALSE(cut.Reader.SegmentInfo.Complete);
  // A Segment with the all-ones size is never complete.
  const std::string children = Info(10) + Cluster();
  TParse unknown(Header() + Id(kSegment) + "\x01\xFF\xFF\xFF\xFF\xFF\xFF\xFF" + children);
  EXPECT_TRUE(unknown.Result);
  EXPECT_FALSE(unknown.Reader.SegmentInfo.Complete);
}

TEST(Segment, TruncatedTracksKeepCompletedEntries) {
  const std::string file = Header() + Segment(Info(10) + Master(kTracks, {AudioTrack(1), AudioTrack(2)}) + Cluster());
  // Cut inside the second entry's Audio element, before its Channels element.
  TParse p(file.substr(0, file.size() - Cluster().size() - 3));
  EXPECT_FALSE(p.Result);
  EXPECT_TRUE(p.Error.empty());
  ASSERT_EQ(p.Reader.Tracks.size(), 1u);
  EXPECT_EQ(p.Reader.Tracks[0].TrackNumber, 1u);
  EXPECT_EQ(p.Reader.SegmentInfo.Duration, 10);  // converted on false too
  EXPECT_EQ(p.File.GetPosition(), 0);
  EXPECT_EQ(p.Reader.EbmlReader->Level(), 1);
}

TEST(Segment, SeekPhaseFetchesMetadataAfterCluster) {
  const std::string chapters = Master(kChapters, {Master(kEditionEntry, {Master(kChapterAtom, {Uint(kChapterTimeStart, 0)})})});
  const std::string attachments =
      Master(kAttachments, {Master(kAttachedFile, {Str(kFileName, "a.txt"), Element(kFileData, "DATA")})});
  const std::string tags = Master(kTags, {Master(kTag, {Master(kSimpleTag, {Str(kTagName, "TITLE")})})});
  // The seek head lists Tags first and Chapters twice; the first Chapters entry is the right one.
  std::string seekHead;
  const std::string info = Info(1);
  const std::string cluster = Cluster();
  for (int pass = 0; pass < 2; ++pass) {
    const uint64_t base = seekHead.size() + info.size() + cluster.size();
    seekHead = Master(kSeekHead, {Seek(kTags, base + chapters.size() + attachments.size()), Seek(kChapters, base),
                                  Seek(kChapters, 1), Seek(kAttachments, base + chapters.size())});
  }
  TParse p(Header() + Segment(seekHead + info + cluster + chapters + attachments + tags));
  ASSERT_TRUE(p.Result) << p.Error;
  const std::string log = p.Log();
  const size_t c = log.find("\r\nChapters :\r\n"), a = log.find("\r\nAttachments :\r\n"), t = log.find("\r\nTags :\r\n");
  ASSERT_NE(c, std::string::npos);
  ASSERT_NE(a, std::string::npos);
  ASSERT_NE(t, std::string::npos);
  EXPECT_LT(c, a);
  EXPECT_LT(a, t);
  EXPECT_EQ(p.Reader.Editions.size(), 1u);
  ASSERT_EQ(p.Reader.Attachments.size(), 1u);
  EXPECT_EQ(p.Reader.Attachments[0].FileDataSize, 4);
  ASSERT_EQ(p.Reader.Tags.size(), 1u);
  EXPECT_EQ(p.Reader.Tags[0].SimpleTags[0].TagName, "TITLE");
  EXPECT_EQ(p.File.GetPosition(), p.Reader.SegmentInfo.ClusterPosition);
  EXPECT_EQ(p.Reader.EbmlReader->Level(), 1);
}

TEST(Segment, SeekPhaseErrorIsLoggedAtItsDepth) {
  const std::string info = Info(1);
  const std::string cluster = Cluster();
  // Tags after the Cluster whose TagString claims more bytes than the file holds.
  const std::string tags = Id(kTags) + Size(40) + Id(kTag) + Size(30) + Id(kSimpleTag) + Size(20) +
                           Str(kTagName, "A") + Id(kTagString) + Size(15) + "abc";
  std::string seekHead = Master(kSeekHead, {Seek(kTags, 0)});
  seekHead = Master(kSeekHead, {Seek(kTags, seekHead.size() + info.size() + cluster.size())});
  const std::string file = Header() + Segment(seekHead + info + cluster + tags);
  TParse p(file);
  EXPECT_TRUE(p.Result);
  EXPECT_TRUE(p.Error.empty());
  const size_t tagStringPos = file.size() - 3 - 3;
  EXPECT_NE(p.Log().find(Log({"Tags :", "    Tag :", "        SimpleTag :", "            TagName : A",
                              "            ReadValueString TagString : read error at position " +
                                  std::to_string(tagStringPos)})),
            std::string::npos);
  EXPECT_TRUE(p.Reader.Tags.empty());
  EXPECT_EQ(p.Reader.EbmlReader->Level(), 1);
}

TEST(Segment, SeekPhaseReaderCutShortLeavesItsContainerOpen) {
  // After the Cluster: Tags, then Chapters cut off by the end of the file inside its
  // edition. The failed edition stays the innermost element, so the one LeaveElement
  // after the Chapters were read closes only the edition: Chapters stays open and the
  // Tags read next are logged one level deeper.
  const std::string info = Info(1);
  const std::string cluster = Cluster();
  const std::string tags = Master(kTags, {Master(kTag, {Master(kSimpleTag, {Str(kTagName, "A")})})});
  const std::string atom = Master(kChapterAtom, {Uint(kChapterTimeStart, 0)});
  const std::string chapters = Id(kChapters) + Size(50) + Id(kEditionEntry) + Size(40) + atom;
  std::string seekHead;
  for (int pass = 0; pass < 2; ++pass) {
    const uint64_t base = seekHead.size() + info.size() + cluster.size();
    seekHead = Master(kSeekHead, {Seek(kChapters, base + tags.size()), Seek(kTags, base)});
  }
  TParse p(Header() + Segment(seekHead + info + cluster + tags + chapters));
  ASSERT_TRUE(p.Result) << p.Error;
  EXPECT_NE(p.Log().find(Log({"Chapters :", "    Edition entry :", "        Chapter Atom :",
                              "            ChapterTimeStart : 0", "    Tags :", "        Tag :",
                              "            SimpleTag :", "                TagName : A"})),
            std::string::npos)
      << p.Log();
  EXPECT_TRUE(p.Reader.Editions.empty());
  EXPECT_EQ(p.Reader.Tags.size(), 1u);
  EXPECT_EQ(p.Reader.EbmlReader->Level(), 1);
}

namespace {

// A seek entry whose position takes 8 bytes whatever its value, so that a seek head's
// size does not depend on where the elements it lists lie.
std::string FixedSeek(uint32_t id, uint64_t position) {
  return Master(kSeek, {Uint(kSeekID, id), Uint(kSeekPosition, position, 8)});
}

// A file whose Segment holds the parts that Build returns. Build gets the segment-relative
// position of every part; the second pass sees the positions of the first.
template <class F>
std::string LaidOut(F build) {
  std::vector<uint64_t> pos(16, 0);
  std::vector<std::string> parts;
  for (int pass = 0; pass < 2; ++pass) {
    parts = build(pos);
    uint64_t at = 0;
    for (size_t i = 0; i < parts.size(); ++i) {
      pos[i] = at;
      at += parts[i].size();
    }
  }
  std::string children;
  for (const std::string& part : parts) children += part;
  return Header() + Segment(children);
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

const std::string kSeekHeadTitle = "\r\nMetaSeek Info :\r\n";

}  // namespace

TEST(SeekPhase, InfoAndTracksBehindTheClustersAreFetched) {
  const std::string chapters =
      Master(kChapters, {Master(kEditionEntry, {Master(kChapterAtom, {Uint(kChapterTimeStart, 0)})})});
  TParse p(LaidOut([&](const std::vector<uint64_t>& pos) {
    return std::vector<std::string>{
        Master(kSeekHead, {FixedSeek(kTracks, pos[4]), FixedSeek(kInfo, pos[3])}), chapters, Cluster(),
        Master(kInfo, {Uint(kTimecodeScale, 100000), Float8(kDuration, 20000), Uint(kDateUTC, 0)}),
        Master(kTracks, {AudioTrack(1)})};
  }));
  ASSERT_TRUE(p.Result) << p.Error;
  // Info before Tracks, whatever the order of the entries; both after the head's Chapters.
  const std::string log = p.Log();
  EXPECT_NE(log.find(Log({"Segment Info :", "    TimecodeScale : 100000", "    Duration : 20000", "    DateUTC : 0",
                          "Tracks :", "    TrackEntry :"})),
            std::string::npos)
      << log;
  EXPECT_LT(log.find("\r\nChapters :"), log.find("\r\nSegment Info :"));
  const TMatroskaSegmentInfo& si = p.Reader.SegmentInfo;
  EXPECT_EQ(si.Duration, 2000);  // converted with the scale read behind the clusters
  EXPECT_TRUE(si.HasDateUTC);    // a stored zero is a date
  EXPECT_EQ(p.Reader.Editions.at(0).ChapterAtoms.at(0).ChapterTimeEnd, 2000000000);
  EXPECT_EQ(p.Reader.Tracks.size(), 1u);
  EXPECT_EQ(p.File.GetPosition(), si.ClusterPosition);
  EXPECT_EQ(p.Reader.EbmlReader->Level(), 1);
  EXPECT_FALSE(TParse(Header() + Segment(Info(1) + Cluster())).Reader.SegmentInfo.HasDateUTC);
}

TEST(SeekPhase, SeekHeadsListingThemselvesOrEachOtherAreReadOnce) {
  // The head's seek head lists itself and one behind the clusters, which lists both again
  // and then Tracks.
  TParse p(LaidOut([&](const std::vector<uint64_t>& pos) {
    return std::vector<std::string>{
        Master(kSeekHead, {FixedSeek(kSeekHead, pos[0]), FixedSeek(kSeekHead, pos[3])}), Info(1), Cluster(),
        Master(kSeekHead, {FixedSeek(kSeekHead, pos[0]), FixedSeek(kSeekHead, pos[3]), FixedSeek(kTracks, pos[4])}),
        Master(kTracks, {AudioTrack(1)})};
  }));
  ASSERT_TRUE(p.Result) << p.Error;
  EXPECT_EQ(Count("\r\n" + p.Log(), kSeekHeadTitle), 2u) << p.Log();
  EXPECT_EQ(p.Reader.SeekEntries.size(), 5u);
  EXPECT_EQ(p.Reader.Tracks.size(), 1u);
}

TEST(SeekPhase, AtMostFourSeekHeadsAreFollowed) {
  // A chain of five seek heads behind the clusters: the fourth lists Tracks, the fifth
  // (never read) Tags.
  TParse p(LaidOut([&](const std::vector<uint64_t>& pos) {
    std::vector<std::string> parts{Master(kSeekHead, {FixedSeek(kSeekHead, pos[3])}), Info(1), Cluster()};
    for (int i = 3; i < 6; ++i) parts.push_back(Master(kSeekHead, {FixedSeek(kSeekHead, pos[i + 1])}));
    parts.push_back(Master(kSeekHead, {FixedSeek(kSeekHead, pos[7]), FixedSeek(kTracks, pos[8])}));
    parts.push_back(Master(kSeekHead, {FixedSeek(kTags, pos[9])}));
    parts.push_back(Master(kTracks, {AudioTrack(1)}));
    parts.push_back(Master(kTags, {Master(kTag, {Master(kSimpleTag, {Str(kTagName, "A")})})}));
    return parts;
  }));
  ASSERT_TRUE(p.Result) << p.Error;
  EXPECT_EQ(Count("\r\n" + p.Log(), kSeekHeadTitle), 5u);
  EXPECT_EQ(p.Reader.Tracks.size(), 1u);
  EXPECT_EQ(p.Reader.FindSeekPosition(kTags), -1);
  EXPECT_TRUE(p.Reader.Tags.empty());
}

TEST(SeekPhase, ListedSeekHeadPositionsHoldingSomethingElseAreNotRead) {
  // The head lists as seek heads: the Cluster, the Tags, an empty seek head, and a position
  // before the start of the file. After the empty one the file stands at another seek head,
  // which must not be taken for the one at the impossible position.
  TParse p(LaidOut([&](const std::vector<uint64_t>& pos) {
    return std::vector<std::string>{
        Master(kSeekHead, {FixedSeek(kSeekHead, pos[2]), FixedSeek(kSeekHead, pos[5]), FixedSeek(kSeekHead, pos[3]),
                           FixedSeek(kSeekHead, ~uint64_t{0} - 1000), FixedSeek(kTags, pos[5])}),
        Info(1), Cluster(), Master(kSeekHead, {}), Master(kSeekHead, {FixedSeek(kTracks, pos[6])}),
        Master(kTags, {Master(kTag, {Master(kSimpleTag, {Str(kTagName, "A")})})}), Master(kTracks, {AudioTrack(1)})};
  }));
  ASSERT_TRUE(p.Result) << p.Error;
  EXPECT_EQ(Count("\r\n" + p.Log(), kSeekHeadTitle), 2u) << p.Log();
  EXPECT_TRUE(p.Reader.Tracks.empty());
  EXPECT_EQ(Count(p.Log(), "\r\nTags :\r\n"), 1u);
  EXPECT_EQ(p.Reader.Tags.size(), 1u);
}

TEST(SeekPhase, FetchingThroughAChainedSeekHeadReadsLittle) {
  // Each fetched element lies far from the others, so no read-ahead serves two of them.
  const std::string gap = Element(kVoid, std::string(200000, '\0'));
  const std::string file = LaidOut([&](const std::vector<uint64_t>& pos) {
    return std::vector<std::string>{Master(kSeekHead, {FixedSeek(kSeekHead, pos[2])}),
                                    Element(kCluster, std::string(300000, '\0')),
                                    Master(kSeekHead, {FixedSeek(kInfo, pos[4]), FixedSeek(kTracks, pos[6]),
                                                       FixedSeek(kTags, pos[8])}),
                                    gap, Info(1000), gap, Master(kTracks, {AudioTrack(1)}), gap,
                                    Master(kTags, {Master(kTag, {Master(kSimpleTag, {Str(kTagName, "A")})})})};
  });
  TParse p(file);
  ASSERT_TRUE(p.Result) << p.Error;
  ASSERT_EQ(p.Reader.SegmentInfo.Duration, 1000);
  ASSERT_EQ(p.Reader.Tracks.size(), 1u);
  ASSERT_EQ(p.Reader.Tags.size(), 1u);
  const uint64_t fetched = 4;  // the second seek head, Info, Tracks, Tags
  EXPECT_LE(p.File.ReadSystemCalls(), 4 * fetched);
}

// Tags that a report does not show are read and logged but not kept. Whether they are
// kept changes nothing else: the log, the other records, what the seek phase fetches
// (tags read in the head count as found) and the reads made.
TEST(SeekPhase, TagsReadButNotKeptCountAsFound) {
  const auto tags = [](const std::string& name) {
    return Master(kTags, {Master(kTag, {Master(kTargets, {Uint(kTargetTypeValue, 50)}),
                                        Master(kSimpleTag, {Str(kTagName, name), Str(kTagString, "x")})})});
  };
  const auto gap = Element(kVoid, std::string(100000, '\0'));  // no read-ahead spans two parts
  const std::string inHead = LaidOut([&](const std::vector<uint64_t>& pos) {
    return std::vector<std::string>{Master(kSeekHead, {FixedSeek(kTags, pos[4])}), tags("EARLY"), Cluster(), gap,
                                    tags("LATE")};
  });
  const std::string behind = LaidOut([&](const std::vector<uint64_t>& pos) {
    return std::vector<std::string>{Master(kSeekHead, {FixedSeek(kTags, pos[3])}), Cluster(), gap, tags("LATE")};
  });
  for (const std::string* file : {&inHead, &behind}) {
    TTxtWriter keptLog, droppedLog;
    const TMatroskaParse kept = ParseMatroska(std::make_unique<TMemorySource>(*file), keptLog, nullptr, true);
    const TMatroskaParse dropped = ParseMatroska(std::make_unique<TMemorySource>(*file), droppedLog, nullptr, false);
    ASSERT_TRUE(kept.ClusterFound && dropped.ClusterFound);
    EXPECT_EQ(droppedLog.GetText(), keptLog.GetText());
    EXPECT_EQ(dropped.File->ReadSystemCalls(), kept.File->ReadSystemCalls());
    ASSERT_EQ(kept.Reader->Tags.size(), 1u);
    EXPECT_EQ(kept.Reader->Tags[0].SimpleTags.at(0).TagName, file == &inHead ? "EARLY" : "LATE");
    EXPECT_TRUE(dropped.Reader->Tags.empty());
    EXPECT_EQ(keptLog.GetText().find("LATE") != std::string::npos, file == &behind);
  }
}
