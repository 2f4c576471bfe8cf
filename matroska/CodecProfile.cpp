#include "matroska/CodecProfile.h"

#include <span>
#include <string_view>

namespace ambrel {

namespace {

using TBytes = std::span<const uint8_t>;

// AVCDecoderConfigurationRecord: version 1, AVCProfileIndication, profile_compatibility,
// AVCLevelIndication.
TCodecProfile Avc(TBytes b) {
  if (b.size() < 4 || b[0] != 1) return {};
  return {b[1], b[3]};
}

// HEVCDecoderConfigurationRecord: version 1, then profile space, tier and profile in one
// byte; general_level_idc is byte 12.
TCodecProfile Hevc(TBytes b) {
  if (b.size() < 13 || b[0] != 1) return {};
  return {b[1] & 0x1F, b[12]};
}

// AV1CodecConfigurationRecord: marker and version 1, then seq_profile (3 bits) and
// seq_level_idx_0 (5 bits).
TCodecProfile Av1(TBytes b) {
  if (b.size() < 2 || b[0] != 0x81) return {};
  return {b[1] >> 5, b[1] & 0x1F};
}

// VP9 codec features: (ID, length, value) triples; ID 1 is the profile, 2 the level.
TCodecProfile Vp9(TBytes b) {
  TCodecProfile p;
  for (size_t i = 0; i + 2 <= b.size();) {
    const uint8_t id = b[i];
    const size_t length = b[i + 1];
    if (i + 2 + length > b.size()) break;
    if (length == 1 && id == 1) p.Profile = b[i + 2];
    if (length == 1 && id == 2) p.Level = b[i + 2];
    i += 2 + length;
  }
  return p;
}

// AudioSpecificConfig: audioObjectType in 5 bits, 31 escaping to 32 plus the next 6 bits.
TCodecProfile Aac(TBytes b) {
  if (b.empty()) return {};
  const int type = b[0] >> 3;
  if (type != 31) return {type, std::nullopt};
  if (b.size() < 2) return {};
  return {32 + (((b[0] & 7) << 3) | (b[1] >> 5)), std::nullopt};
}

struct TProfileReader {
  std::string_view CodecID;
  TCodecProfile (*Read)(TBytes);
};

constexpr TProfileReader kReaders[] = {
    {"V_MPEG4/ISO/AVC", Avc}, {"V_MPEGH/ISO/HEVC", Hevc}, {"V_AV1", Av1}, {"V_VP9", Vp9}, {"A_AAC", Aac},
};

}  // namespace

TCodecProfile CodecProfileOf(const TMatroskaTrackEntry& Track) {
  for (const TProfileReader& r : kReaders) {
    if (Track.CodecID == r.CodecID) return r.Read(Track.CodecPrivate);
  }
  return {};
}

}  // namespace ambrel
