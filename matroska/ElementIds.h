// The EBML and Matroska element IDs that the parser reads, by their element names. An ID is
// written as its bytes read big-endian, marker bit included, as element headers hold it.
#pragma once

#include <cstdint>
#include <string_view>

namespace ambrel::ids {

// The EBML header and the elements that may stand anywhere.
constexpr uint32_t kEBML = 0x1A45DFA3;
constexpr uint32_t kEBMLVersion = 0x4286;
constexpr uint32_t kEBMLReadVersion = 0x42F7;
constexpr uint32_t kEBMLMaxIDLength = 0x42F2;
constexpr uint32_t kEBMLMaxSizeLength = 0x42F3;
constexpr uint32_t kDocType = 0x4282;
constexpr uint32_t kDocTypeVersion = 0x4287;
constexpr uint32_t kDocTypeReadVersion = 0x4285;
constexpr uint32_t kVoid = 0xEC;
constexpr uint32_t kCRC32 = 0xBF;

// The Segment and its top-level children.
constexpr uint32_t kSegment = 0x18538067;
constexpr uint32_t kSeekHead = 0x114D9B74;
constexpr uint32_t kInfo = 0x1549A966;
constexpr uint32_t kTracks = 0x1654AE6B;
constexpr uint32_t kAttachments = 0x1941A469;
constexpr uint32_t kChapters = 0x1043A770;
constexpr uint32_t kTags = 0x1254C367;
constexpr uint32_t kCluster = 0x1F43B675;

// Seek heads.
constexpr uint32_t kSeek = 0x4DBB;
constexpr uint32_t kSeekID = 0x53AB;
constexpr uint32_t kSeekPosition = 0x53AC;

// Segment information.
constexpr uint32_t kTimecodeScale = 0x2AD7B1;
constexpr uint32_t kDuration = 0x4489;
constexpr uint32_t kTitle = 0x7BA9;
constexpr uint32_t kMuxingApp = 0x4D80;
constexpr uint32_t kWritingApp = 0x5741;
constexpr uint32_t kDateUTC = 0x4461;
constexpr uint32_t kSegmentFilename = 0x7384;
constexpr uint32_t kPrevFilename = 0x3C83AB;
constexpr uint32_t kNextFilename = 0x3E83BB;
constexpr uint32_t kSegmentUID = 0x73A4;

// Clusters.
constexpr uint32_t kTimecode = 0xE7;

// Track entries with their video and audio settings.
constexpr uint32_t kTrackEntry = 0xAE;
constexpr uint32_t kTrackNumber = 0xD7;
constexpr uint32_t kTrackUID = 0x73C5;
constexpr uint32_t kTrackType = 0x83;
constexpr uint32_t kFlagEnabled = 0xB9;
constexpr uint32_t kFlagDefault = 0x88;
constexpr uint32_t kFlagLacing = 0x9C;
constexpr uint32_t kMinCache = 0x6DE7;
constexpr uint32_t kMaxCache = 0x6DF8;
constexpr uint32_t kDefaultDuration = 0x23E383;
constexpr uint32_t kTrackTimecodeScale = 0x23314F;
constexpr uint32_t kName = 0x536E;
constexpr uint32_t kLanguage = 0x22B59C;
constexpr uint32_t kCodecID = 0x86;
constexpr uint32_t kCodecPrivate = 0x63A2;
constexpr uint32_t kCodecName = 0x258688;
constexpr uint32_t kCodecSettings = 0x3A9697;
constexpr uint32_t kCodecInfoURL = 0x3B4040;
constexpr uint32_t kCodecDownloadURL = 0x26B240;
constexpr uint32_t kCodecDecodeAll = 0xAA;
constexpr uint32_t kTrackOverlay = 0x6FAB;
constexpr uint32_t kVideo = 0xE0;
constexpr uint32_t kPixelWidth = 0xB0;
constexpr uint32_t kPixelHeight = 0xBA;
constexpr uint32_t kDisplayWidth = 0x54B0;
constexpr uint32_t kDisplayHeight = 0x54BA;
constexpr uint32_t kAudio = 0xE1;
constexpr uint32_t kSamplingFrequency = 0xB5;
constexpr uint32_t kOutputSamplingFrequency = 0x78B5;
constexpr uint32_t kChannels = 0x9F;
constexpr uint32_t kBitDepth = 0x6264;

// Track entry elements read for the JSON document only (the log shows them as skipped).
constexpr uint32_t kLanguageBCP47 = 0x22B59D;
constexpr uint32_t kFlagForced = 0x55AA;
constexpr uint32_t kFlagHearingImpaired = 0x55AB;
constexpr uint32_t kFlagVisualImpaired = 0x55AC;
constexpr uint32_t kFlagTextDescriptions = 0x55AD;
constexpr uint32_t kFlagOriginal = 0x55AE;
constexpr uint32_t kFlagCommentary = 0x55AF;
constexpr uint32_t kCodecDelay = 0x56AA;
constexpr uint32_t kSeekPreRoll = 0x56BB;
constexpr uint32_t kFlagInterlaced = 0x9A;
constexpr uint32_t kFieldOrder = 0x9D;
constexpr uint32_t kStereoMode = 0x53B8;
constexpr uint32_t kPixelCropBottom = 0x54AA;
constexpr uint32_t kPixelCropTop = 0x54BB;
constexpr uint32_t kPixelCropLeft = 0x54CC;
constexpr uint32_t kPixelCropRight = 0x54DD;
constexpr uint32_t kColour = 0x55B0;
constexpr uint32_t kMatrixCoefficients = 0x55B1;
constexpr uint32_t kBitsPerChannel = 0x55B2;
constexpr uint32_t kChromaSubsamplingHorz = 0x55B3;
constexpr uint32_t kChromaSubsamplingVert = 0x55B4;
constexpr uint32_t kRange = 0x55B9;
constexpr uint32_t kTransferCharacteristics = 0x55BA;
constexpr uint32_t kPrimaries = 0x55BB;
constexpr uint32_t kMaxCLL = 0x55BC;
constexpr uint32_t kMaxFALL = 0x55BD;
constexpr uint32_t kMasteringMetadata = 0x55D0;
constexpr uint32_t kPrimaryRChromaticityX = 0x55D1;
constexpr uint32_t kPrimaryRChromaticityY = 0x55D2;
constexpr uint32_t kPrimaryGChromaticityX = 0x55D3;
constexpr uint32_t kPrimaryGChromaticityY = 0x55D4;
constexpr uint32_t kPrimaryBChromaticityX = 0x55D5;
constexpr uint32_t kPrimaryBChromaticityY = 0x55D6;
constexpr uint32_t kWhitePointChromaticityX = 0x55D7;
constexpr uint32_t kWhitePointChromaticityY = 0x55D8;
constexpr uint32_t kLuminanceMax = 0x55D9;
constexpr uint32_t kLuminanceMin = 0x55DA;
constexpr uint32_t kContentEncodings = 0x6D80;
constexpr uint32_t kContentEncoding = 0x6240;
constexpr uint32_t kContentEncodingOrder = 0x5031;
constexpr uint32_t kContentEncodingScope = 0x5032;
constexpr uint32_t kContentEncodingType = 0x5033;
constexpr uint32_t kContentCompression = 0x5034;
constexpr uint32_t kContentCompAlgo = 0x4254;
constexpr uint32_t kContentEncryption = 0x5035;
constexpr uint32_t kContentEncAlgo = 0x47E1;

// Attached files.
constexpr uint32_t kAttachedFile = 0x61A7;
constexpr uint32_t kFileDescription = 0x467E;
constexpr uint32_t kFileName = 0x466E;
constexpr uint32_t kFileMimeType = 0x4660;
constexpr uint32_t kFileData = 0x465C;
constexpr uint32_t kFileUID = 0x46AE;

// Chapter editions, atoms and displays.
constexpr uint32_t kEditionEntry = 0x45B9;
constexpr uint32_t kEditionUID = 0x45BC;
constexpr uint32_t kEditionFlagHidden = 0x45BD;
constexpr uint32_t kEditionFlagDefault = 0x45DB;
constexpr uint32_t kEditionManaged = 0x45DD;
constexpr uint32_t kChapterAtom = 0xB6;
constexpr uint32_t kChapterUID = 0x73C4;
constexpr uint32_t kChapterTimeStart = 0x91;
constexpr uint32_t kChapterTimeEnd = 0x92;
constexpr uint32_t kChapterFlagHidden = 0x98;
constexpr uint32_t kChapterFlagEnabled = 0x4598;
constexpr uint32_t kChapterPhysicalEquiv = 0x63C3;
constexpr uint32_t kChapterTrack = 0x8F;
constexpr uint32_t kChapterTrackNumber = 0x89;
constexpr uint32_t kChapterDisplay = 0x80;
constexpr uint32_t kChapString = 0x85;
constexpr uint32_t kChapLanguage = 0x437C;
constexpr uint32_t kChapCountry = 0x437E;

// Tags with their targets and simple tags.
constexpr uint32_t kTag = 0x7373;
constexpr uint32_t kTargets = 0x63C0;
constexpr uint32_t kTargetTypeValue = 0x68CA;
constexpr uint32_t kTargetType = 0x63CA;
constexpr uint32_t kTagTrackUID = 0x63C5;
constexpr uint32_t kTagEditionUID = 0x63C9;
constexpr uint32_t kTagChapterUID = 0x63C4;
constexpr uint32_t kTagAttachmentUID = 0x63C6;
constexpr uint32_t kSimpleTag = 0x67C8;
constexpr uint32_t kTagName = 0x45A3;
constexpr uint32_t kTagLanguage = 0x447A;
constexpr uint32_t kTagDefault = 0x4484;
constexpr uint32_t kTagString = 0x4487;
constexpr uint32_t kTagBinary = 0x4485;

// The name of a master element the parser enters; empty for any other ID.
constexpr std::string_view MasterName(uint32_t ID) {
  struct TName {
    uint32_t ID;
    std::string_view Name;
  };
  constexpr TName kNames[] = {
      {kEBML, "EBML"},           {kSegment, "Segment"},
      {kSeekHead, "SeekHead"},   {kSeek, "Seek"},
      {kInfo, "Info"},           {kTracks, "Tracks"},
      {kTrackEntry, "TrackEntry"}, {kVideo, "Video"},
      {kAudio, "Audio"},         {kAttachments, "Attachments"},
      {kAttachedFile, "AttachedFile"}, {kChapters, "Chapters"},
      {kEditionEntry, "EditionEntry"}, {kChapterAtom, "ChapterAtom"},
      {kChapterTrack, "ChapterTrack"}, {kChapterDisplay, "ChapterDisplay"},
      {kTags, "Tags"},           {kTag, "Tag"},
      {kTargets, "Targets"},     {kSimpleTag, "SimpleTag"},
      {kCluster, "Cluster"},
  };
  for (const TName& n : kNames)
    if (n.ID == ID) return n.Name;
  return {};
}

}  // namespace ambrel::ids
