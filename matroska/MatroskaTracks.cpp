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

// The elements of TMatroskaTrackExtras, read for the records only (the log shows them as
// skipped). Video's and the track entry's own tables send them here.
std::span<const TElementRule<TMatroskaTrackExtras>> TMatroskaReader::TrackExtraRules() {
  using X = TMatroskaTrackExtras;
  static const TElementRule<X> encoding =
      ContainerRule<X>(ids::kContentEncoding, "ContentEncoding :", &TMatroskaReader::ReadContentEncoding);
  static const TElementRule<X> rules[] = {
      StringRule(ids::kLanguageBCP47, "LanguageBCP47", &X::LanguageBCP47),
      UintRule(ids::kFlagForced, "FlagForced", &X::FlagForced),
      UintRule(ids::kFlagHearingImpaired, "FlagHearingImpaired", &X::FlagHearingImpaired),
      UintRule(ids::kFlagVisualImpaired, "FlagVisualImpaired", &X::FlagVisualImpaired),
      UintRule(ids::kFlagTextDescriptions, "FlagTextDescriptions", &X::FlagTextDescriptions),
      UintRule(ids::kFlagOriginal, "FlagOriginal", &X::FlagOriginal),
      UintRule(ids::kFlagCommentary, "FlagCommentary", &X::FlagCommentary),
      UintRule(ids::kCodecDelay, "CodecDelay", &X::CodecDelay),
      UintRule(ids::kSeekPreRoll, "SeekPreRoll", &X::SeekPreRoll),
      ListRule<X>(ids::kContentEncodings, "ContentEncodings :", encoding),
      UintRule(ids::kFlagInterlaced, "FlagInterlaced", &X::FlagInterlaced),
      UintRule(ids::kFieldOrder, "FieldOrder", &X::FieldOrder).WithDefault(2),
      UintRule(ids::kStereoMode, "StereoMode", &X::StereoMode),
      UintRule(ids::kPixelCropTop, "PixelCropTop", &X::PixelCropTop),
      UintRule(ids::kPixelCropBottom, "PixelCropBottom", &X::PixelCropBottom),
      UintRule(ids::kPixelCropLeft, "PixelCropLeft", &X::PixelCropLeft),
      UintRule(ids::kPixelCropRight, "PixelCropRight", &X::PixelCropRight),
      ContainerRule<X>(ids::kColour, "Colour :", &TMatroskaReader::ReadColour),
  };
  return rules;
}

TElementRule<TMatroskaTrackEntry> TMatroskaReader::ExtraRule(uint32_t ID) {
  return CustomRule<TMatroskaTrackEntry>(ID, "", &TMatroskaReader::ReadTrackExtra).Quietly();
}

const TMatroskaTrackExtras& TrackExtrasOf(const TMatroskaTrackEntry& Track) {
  static const TMatroskaTrackExtras defaults = [] {
    TMatroskaTrackExtras x;
    ApplyDefaults(TMatroskaReader::TrackExtraRules(), x);
    return x;
  }();
  return Track.Extras ? *Track.Extras.get() : defaults;
}

void TMatroskaReader::ReadTrackExtra(TEbmlElement& E, TMatroskaTrackEntry& Track) {
  const auto rules = TrackExtraRules();
  const TElementRule<TMatroskaTrackExtras>* rule = FindRule(rules, E.ID);
  if (!rule) return;
  if (!Track.Extras) ApplyDefaults(rules, Track.Extras.Make());
  TMatroskaTrackExtras& extras = Track.Extras.Make();
  if (rule->Kind == TElementKind::Container) {
    EbmlReader->EnterElement(E);
    ReadChildren(*rule, extras);
  } else {
    ReadRuleValue(E, *rule, extras);
  }
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
      ExtraRule(ids::kLanguageBCP47), ExtraRule(ids::kFlagForced), ExtraRule(ids::kFlagHearingImpaired),
      ExtraRule(ids::kFlagVisualImpaired), ExtraRule(ids::kFlagTextDescriptions), ExtraRule(ids::kFlagOriginal),
      ExtraRule(ids::kFlagCommentary), ExtraRule(ids::kCodecDelay), ExtraRule(ids::kSeekPreRoll),
      ExtraRule(ids::kContentEncodings),
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
      ExtraRule(ids::kFlagInterlaced), ExtraRule(ids::kFieldOrder), ExtraRule(ids::kStereoMode),
      ExtraRule(ids::kPixelCropTop), ExtraRule(ids::kPixelCropBottom), ExtraRule(ids::kPixelCropLeft),
      ExtraRule(ids::kPixelCropRight), ExtraRule(ids::kColour),
  };
  return ReadContainer(Track, rules);
}

bool TMatroskaReader::ReadColour(TMatroskaTrackExtras& Track) {
  using C = TMatroskaColour;
  static const TElementRule<C> rules[] = {
      UintRule(ids::kMatrixCoefficients, "MatrixCoefficients", &C::MatrixCoefficients).WithDefault(2),
      UintRule(ids::kBitsPerChannel, "BitsPerChannel", &C::BitsPerChannel),
      UintRule(ids::kChromaSubsamplingHorz, "ChromaSubsamplingHorz", &C::ChromaSubsamplingHorz,
               &C::HasChromaSubsamplingHorz),
      UintRule(ids::kChromaSubsamplingVert, "ChromaSubsamplingVert", &C::ChromaSubsamplingVert,
               &C::HasChromaSubsamplingVert),
      UintRule(ids::kRange, "Range", &C::Range),
      UintRule(ids::kTransferCharacteristics, "TransferCharacteristics", &C::TransferCharacteristics).WithDefault(2),
      UintRule(ids::kPrimaries, "Primaries", &C::Primaries).WithDefault(2),
      UintRule(ids::kMaxCLL, "MaxCLL", &C::MaxCLL, &C::HasMaxCLL),
      UintRule(ids::kMaxFALL, "MaxFALL", &C::MaxFALL, &C::HasMaxFALL),
      ContainerRule<C>(ids::kMasteringMetadata, "MasteringMetadata :", &TMatroskaReader::ReadMastering),
  };
  return ReadContainer(Track.Colour.Make(), rules);
}

bool TMatroskaReader::ReadMastering(TMatroskaColour& Colour) {
  using M = TMatroskaMastering;
  static const TElementRule<M> rules[] = {
      FloatRule(ids::kPrimaryRChromaticityX, "PrimaryRChromaticityX", &M::PrimaryRChromaticityX,
                &M::HasPrimaryRChromaticityX),
      FloatRule(ids::kPrimaryRChromaticityY, "PrimaryRChromaticityY", &M::PrimaryRChromaticityY,
                &M::HasPrimaryRChromaticityY),
      FloatRule(ids::kPrimaryGChromaticityX, "PrimaryGChromaticityX", &M::PrimaryGChromaticityX,
                &M::HasPrimaryGChromaticityX),
      FloatRule(ids::kPrimaryGChromaticityY, "PrimaryGChromaticityY", &M::PrimaryGChromaticityY,
                &M::HasPrimaryGChromaticityY),
      FloatRule(ids::kPrimaryBChromaticityX, "PrimaryBChromaticityX", &M::PrimaryBChromaticityX,
                &M::HasPrimaryBChromaticityX),
      FloatRule(ids::kPrimaryBChromaticityY, "PrimaryBChromaticityY", &M::PrimaryBChromaticityY,
                &M::HasPrimaryBChromaticityY),
      FloatRule(ids::kWhitePointChromaticityX, "WhitePointChromaticityX", &M::WhitePointChromaticityX,
                &M::HasWhitePointChromaticityX),
      FloatRule(ids::kWhitePointChromaticityY, "WhitePointChromaticityY", &M::WhitePointChromaticityY,
                &M::HasWhitePointChromaticityY),
      FloatRule(ids::kLuminanceMax, "LuminanceMax", &M::LuminanceMax, &M::HasLuminanceMax),
      FloatRule(ids::kLuminanceMin, "LuminanceMin", &M::LuminanceMin, &M::HasLuminanceMin),
  };
  return ReadContainer(Colour.Mastering.Make(), rules);
}

// Keeps at most kMaxContentEncodings encodings per track; further ones are read and dropped.
bool TMatroskaReader::ReadContentEncoding(TMatroskaTrackExtras& Track) {
  using N = TMatroskaContentEncoding;
  static const TElementRule<N> rules[] = {
      UintRule(ids::kContentEncodingOrder, "ContentEncodingOrder", &N::Order),
      UintRule(ids::kContentEncodingScope, "ContentEncodingScope", &N::Scope).WithDefault(1),
      UintRule(ids::kContentEncodingType, "ContentEncodingType", &N::Type),
      ContainerRule<N>(ids::kContentCompression, "ContentCompression :", &TMatroskaReader::ReadContentCompression),
      ContainerRule<N>(ids::kContentEncryption, "ContentEncryption :", &TMatroskaReader::ReadContentEncryption),
  };
  const bool complete = ReadRecord(Track.ContentEncodings, rules);
  if (Track.ContentEncodings.size() > TMatroskaTrackExtras::kMaxContentEncodings) Track.ContentEncodings.pop_back();
  return complete;
}

bool TMatroskaReader::ReadContentCompression(TMatroskaContentEncoding& Encoding) {
  using N = TMatroskaContentEncoding;
  static const TElementRule<N> rules[] = {
      UintRule(ids::kContentCompAlgo, "ContentCompAlgo", &N::CompAlgo),
  };
  Encoding.HasCompression = true;
  return ReadContainer(Encoding, rules);
}

bool TMatroskaReader::ReadContentEncryption(TMatroskaContentEncoding& Encoding) {
  using N = TMatroskaContentEncoding;
  static const TElementRule<N> rules[] = {
      UintRule(ids::kContentEncAlgo, "ContentEncAlgo", &N::EncAlgo),
  };
  Encoding.HasEncryption = true;
  return ReadContainer(Encoding, rules);
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
