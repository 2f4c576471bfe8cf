// What the report sections of a file analysis consult besides the file: the loaded
// tables and the media framework, passed as arguments rather than reached through
// globals.
#pragma once

namespace ambrel {

class TFriendlyNames;
class TXmlCodecDB;

namespace media {
class IMediaFramework;
}

struct TAnalysisContext {
  const TFriendlyNames& FriendlyNames;
  TXmlCodecDB& CodecDB;
  // Answers whether a proposed filter is installed; none: every filter reads "no".
  media::IMediaFramework* Framework = nullptr;
};

}  // namespace ambrel
