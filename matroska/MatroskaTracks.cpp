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

bool TMatroskaReader::ReadTrackEntry(TMatroskaReader& Owner) {
  using T = TMatroskaTrackEntry;
  static const TElementRule<T> rules[] = {
      UintRule(ids::kTrackNumber, "TrackNumber", &T::TrackNumber),
      UintRule(ids::kTrackUID, "TrackUID", &T::TrackUID),
      UintRule(ids::kTrackType, "TrackType", &T::TrackType),
      UintRule(ids::kFlagEnabled, "FlagEnabled", &T::FlagEnabled).WithDefault(1),
      UintRule(ids::kFlagDefault, "FlagDefault", &T::FlagDefault).WithDefault(1),
      UintRule(ids::kFlagLacing, "FlagLacing", &T::FlagLacing).WithDefault(1),
      UintRule(ids::kMinCache, "MinCache", &T::MinCache),
      UintRule(ids::kMaxCache, "MaxCache", &T::MaxCache),
      UintRule(ids::kDefaultDuration, "DefaultDuration", &T::DefaultDuration),
      FloatRule(ids::kTrackTimecodeScale, "TrackTimecodeScale", &T::TrackTimecodeScale).WithDefault(1.0),
      StringRule(ids::kName, "Name", &T::Name),
      StringRule(ids::kLanguage, "Language", &T::Language).WithDefault("eng"),
      StringRule(ids::kCodecID, "CodecID", &T::CodecID),
      BinaryRule(ids::kCodecPrivate, "CodecPrivate", &T::CodecPrivate, &T::HasCodecPrivate),
      StringRule(ids::kCodecName, "CodecName", &T::CodecName),
      StringRule(ids::kCodecSettings, "CodecSettings", &T::CodecSettings),
      StringRule(ids::kCodecInfoURL, "CodecInfoURL", &T::CodecInfoURL),
      StringRule(ids::kCodecDownloadURL, "CodecDownloadURL", &T::CodecDownloadURL),
      UintRule(ids::kCodecDecodeAll, "CodecDecodeAll", &T::CodecDecodeAll).WithDefault(1),
      UintRule(ids::kTrackOverlay, "TrackOverlay", &T::TrackOverlay),
      ContainerRule<T>(ids::kVideo, "Video :", &TMatroskaReader::ReadVideo),
      ContainerRule<T>(ids::kAudio, "Audio :", &TMatroskaReader::ReadAudio),
  };
  if (!ReadRecord(Owner.Tracks, rules)) return false;
  DeriveCodecKeys(Owner.Tracks.back());
  return true;
}

// A display size that is not stored (or stored as 0) is the pixel size, each dimension on
// its own. Nothing is reset when a track holds a second Video element.
bool TMatroskaReader::ReadVideo(TMatroskaTrackEntry& Track) {
  using T = TMatroskaTrackEntry;
  static const TElementRule<T> rules[] = {
      UintRule(ids::kPixelWidth, "PixelWidth", &T::PixelWidth),
      UintRule(ids::kPixelHeight, "PixelHeight", &T::PixelHeight),
      UintRule(ids::kDisplayWidth, "DisplayWidth", &T::DisplayWidth).WithFallback(ids::kPixelWidth),
      UintRule(ids::kDisplayHeight, "DisplayHeight", &T::DisplayHeight).WithFallback(ids::kPixelHeight),
  };
  return ReadContainer(Track, rules);
}

// Each Audio element starts from the defaults; an output frequency that is not stored (or
// stored as 0) is the sampling frequency.
bool TMatroskaReader::ReadAudio(TMatroskaTrackEntry& Track) {
  using T = TMatroskaTrackEntry;
  static const TElementRule<T> rules[] = {
      FloatRule(ids::kSamplingFrequency, "SamplingFrequency", &T::SamplingFrequency).WithDefault(8000.0),
      FloatRule(ids::kOutputSamplingFrequency, "OutputSamplingFrequency", &T::OutputSamplingFrequency)
          .WithDefault(0.0)
          .WithFallback(ids::kSamplingFrequency),
      UintRule(ids::kChannels, "Channels", &T::Channels).WithDefault(1),
      UintRule(ids::kBitDepth, "BitDepth", &T::BitDepth),
  };
  return ReadContainer(Track, rules);
}

}  // namespace ambrel
