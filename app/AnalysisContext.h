// What the report sections of a file analysis consult besides the file: the loaded
// tables and the media framework, passed as arguments rather than reached through
// globals. The tables are read-only while analyses run, so one context serves several
// threads; the framework is used by one analysis at a time.
#pragma once

namespace ambrel {

class TFriendlyNames;
class TXmlCodecDB;

namespace media {
class IMediaFramework;
}

struct TAnalysisContext {
  const TFriendlyNames& FriendlyNames;
  const TXmlCodecDB& CodecDB;
  // Answers whether a proposed filter is installed; none: every filter reads "no".
  media::IMediaFramework* Framework = nullptr;
};

}  // namespace ambrel
