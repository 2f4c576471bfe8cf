#include "app/analysis/CodecDbChoice.h"

#include <exception>

namespace ambrel {

namespace {

const TXmlCodecDB& (*EmbeddedOf(TCodecDbSource Source))() {
  return Source == TCodecDbSource::GStreamer ? &EmbeddedGstCodecDB : &EmbeddedCodecDB;
}

}  // namespace

TCodecDbSource DefaultCodecDbSource(bool World) {
#ifdef AMBREL_FRAMEWORK_IS_GSTREAMER
  if (!World) return TCodecDbSource::GStreamer;
#else
  (void)World;
#endif
  return TCodecDbSource::DirectShow;
}

TChosenCodecDB ChooseCodecDB(const TCodecDbChoice& Choice, const std::string& ExeDir) {
  TChosenCodecDB chosen;
  if (Choice.Explicit == "directshow" || Choice.Explicit == "gstreamer") {
    chosen.Embedded = EmbeddedOf(Choice.Explicit == "gstreamer" ? TCodecDbSource::GStreamer : TCodecDbSource::DirectShow);
    return chosen;
  }
  if (!Choice.Explicit.empty()) {
    // XML with another root element would answer nothing at all: it fails like a file
    // that does not parse.
    auto db = std::make_unique<TXmlCodecDB>();
    try {
      if (db->LoadFromFile(Choice.Explicit)) {
        chosen.File = std::move(db);
        return chosen;
      }
      chosen.Error = Choice.Explicit + ": " + db->NotCodecDBMessage();
    } catch (const std::exception& error) {
      chosen.Error = Choice.Explicit + ": " + XmlErrorMessage(error);
    }
    chosen.Failed = true;
    chosen.Embedded = EmbeddedOf(DefaultCodecDbSource(Choice.World));
    return chosen;
  }
  chosen.File = LoadCodecDBFile(ExeDir, &chosen.Error);
  if (!chosen.File) chosen.Embedded = EmbeddedOf(DefaultCodecDbSource(Choice.World));
  return chosen;
}

}  // namespace ambrel
