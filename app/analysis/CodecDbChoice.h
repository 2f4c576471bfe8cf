// Which codec database answers a run: the one asked for on the command line, else
// "CodecsDB.xml" beside the executable, else the embedded database that fits the media
// framework answering the run.
#pragma once

#include <memory>
#include <string>

#include "codecdb/XmlCodecDB.h"

namespace ambrel {

struct TCodecDbChoice {
  std::string Explicit;  // "directshow", "gstreamer" or a file; empty: none asked for
  bool World = false;    // a scripted world answers the framework questions
};

// The embedded database of a run without an explicit choice: the GStreamer elements'
// when this build's framework is GStreamer and no scripted world stands in for it.
TCodecDbSource DefaultCodecDbSource(bool World);

struct TChosenCodecDB {
  std::unique_ptr<TXmlCodecDB> File;               // a database read from a file, else null
  const TXmlCodecDB& (*Embedded)() = nullptr;      // else this embedded one
  std::string Error;                               // a file that could not be used
  bool Failed = false;                             // the file asked for could not be used
};

// A file asked for must load (Failed and Error else); a data file beside the executable
// that does not load is said in Error and the embedded database answers instead.
TChosenCodecDB ChooseCodecDB(const TCodecDbChoice& Choice, const std::string& ExeDir);

}  // namespace ambrel
