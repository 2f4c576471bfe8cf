// What the report sections of a file analysis consult besides the file: the loaded
// tables, passed as arguments rather than reached through globals. Everything it
// points to is read-only while analyses run, so one context serves several threads.
#pragma once

namespace ambrel {

class TFriendlyNames;
class TXmlCodecDB;

struct TAnalysisContext {
  const TFriendlyNames& FriendlyNames;
  const TXmlCodecDB& CodecDB;
};

}  // namespace ambrel
