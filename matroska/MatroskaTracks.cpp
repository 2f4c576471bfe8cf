// Track entries with their video and audio settings, and the codec keys that wrapped
// Windows codecs carry in their codec-private data.
#include "matroska/ElementRules.h"

namespace ambrel {

namespace {

constexpr size_t kFourccEnd = 20;     // biCompression: bytes 16 to 19 of a BITMAPINFOHEADER
constexpr size_t kFormatTagEnd = 2;   // wFormatTag: bytes 0 and 1 of a WAVEFORMATEX

// Derives the FOURCC and the format tag from CodecPrivate, by CodecID and TrackType as
// finally read. A block too short for the field derives nothing.
void DeriveCodecKeys(TMatroskaTrackEntry& T) {
  const std::vector<uint8_t>& cp = T.CodecPrivate;
  if (IsVfwFourccTrack(&T) && cp.size() >= kFourccEnd)
    T.Fourcc.assign(reinterpret_cast<const char*>(cp.data()) + 16, 4);
  if (IsAcmTrack(&T) && cp.size() >= kFormatTagEnd) {
    T.FormatTag = cp[0] + 256u * cp[1];
    T.HasFormatTag = true;
  }
}

}  // namespace

bool IsVfwFourccTrack(const TMatroskaTrackEntry* Track) {
  return Track && Track->TrackType == 1 && Track->CodecID == "V_MS/VFW/FOURCC";
}

bool IsAcmTrack(const TMatroskaTrackEntry* Track) {
  return Track && Track->TrackType == 2 && Track->CodecID == "A_MS/ACM";
}

bool TMatroskaReader::ReadTracks(TMatroskaReader& Owner) {
  static const TElementRule<TMatroskaReader> rules[] = {
      ContainerRule<TMatroskaReader>(0xAE, "TrackEntry :", &TMatroskaReader::ReadTrackEntry),
  };
  return ReadContainer(Owner, rules);
}

bool TMatroskaReader::ReadTrackEntry(TMatroskaReader& Owner) {
  using T = TMatroskaTrackEntry;
  static const TElementRule<T> rules[] = {
      UintRule(0xD7, "TrackNumber", &T::TrackNumber),
      UintRule(0x73C5, "TrackUID", &T::TrackUID),
      UintRule(0x83, "TrackType", &T::TrackType),
      UintRule(0xB9, "FlagEnabled", &T::FlagEnabled),
      UintRule(0x88, "FlagDefault", &T::FlagDefault),
      UintRule(0x9C, "FlagLacing", &T::FlagLacing),
      UintRule(0x6DE7, "MinCache", &T::MinCache),
      UintRule(0x6DF8, "MaxCache", &T::MaxCache),
      UintRule(0x23E383, "DefaultDuration", &T::DefaultDuration),
      FloatRule(0x23314F, "TrackTimecodeScale", &T::TrackTimecodeScale),
      StringRule(0x536E, "Name", &T::Name),
      StringRule(0x22B59C, "Language", &T::Language),
      StringRule(0x86, "CodecID", &T::CodecID),
      BinaryRule(0x63A2, "CodecPrivate", &T::CodecPrivate, &T::HasCodecPrivate),
      StringRule(0x258688, "CodecName", &T::CodecName),
      StringRule(0x3A9697, "CodecSettings", &T::CodecSettings),
      StringRule(0x3B4040, "CodecInfoURL", &T::CodecInfoURL),
      StringRule(0x26B240, "CodecDownloadURL", &T::CodecDownloadURL),
      UintRule(0xAA, "CodecDecodeAll", &T::CodecDecodeAll),
      UintRule(0x6FAB, "TrackOverlay", &T::TrackOverlay),
      ContainerRule<T>(0xE0, "Video :", &TMatroskaReader::ReadVideo),
      ContainerRule<T>(0xE1, "Audio :", &TMatroskaReader::ReadAudio),
  };
  // The record's defaults are the entry's defaults.
  if (!ReadRecord(Owner.Tracks, rules)) return false;
  DeriveCodecKeys(Owner.Tracks.back());
  return true;
}

bool TMatroskaReader::ReadVideo(TMatroskaTrackEntry& Track) {
  using T = TMatroskaTrackEntry;
  static const TElementRule<T> rules[] = {
      UintRule(0xB0, "PixelWidth", &T::PixelWidth),
      UintRule(0xBA, "PixelHeight", &T::PixelHeight),
      UintRule(0x54B0, "DisplayWidth", &T::DisplayWidth),
      UintRule(0x54BA, "DisplayHeight", &T::DisplayHeight),
  };
  const bool complete = ReadContainer(Track, rules);
  // A display size that is not stored is the pixel size, each dimension on its own.
  if (Track.DisplayWidth == 0) Track.DisplayWidth = Track.PixelWidth;
  if (Track.DisplayHeight == 0) Track.DisplayHeight = Track.PixelHeight;
  return complete;
}

bool TMatroskaReader::ReadAudio(TMatroskaTrackEntry& Track) {
  using T = TMatroskaTrackEntry;
  static const TElementRule<T> rules[] = {
      FloatRule(0xB5, "SamplingFrequency", &T::SamplingFrequency),
      FloatRule(0x78B5, "OutputSamplingFrequency", &T::OutputSamplingFrequency),
      UintRule(0x9F, "Channels", &T::Channels),
      UintRule(0x6264, "BitDepth", &T::BitDepth),
  };
  Track.SamplingFrequency = 8000.0;
  Track.OutputSamplingFrequency = 0;
  Track.Channels = 1;
  const bool complete = ReadContainer(Track, rules);
  if (Track.OutputSamplingFrequency == 0) Track.OutputSamplingFrequency = Track.SamplingFrequency;
  return complete;
}

}  // namespace ambrel
