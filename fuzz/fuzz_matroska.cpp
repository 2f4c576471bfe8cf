// Feeds arbitrary bytes, held in memory, to the Matroska parser. The only claim: no crash,
// no hang, and every parse ends with a result or with one of the parser's own errors.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "matroska/MatroskaHelper.h"
#include "io/ByteSource.h"
#include "report/LogWriter.h"

using namespace ambrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // Inputs of odd length are served in short reads, to exercise the read-ahead buffer.
  TFileReader file(std::make_unique<ambrel::TMemorySource>(bytes, size % 2 == 1 ? 3 : 0));
  TTxtWriter log;
  TMatroskaReader reader(file, log);
  try {
    reader.Parse();
  } catch (const EMatroskaError&) {
    // A known outcome: the message goes into the report.
  }
  return 0;
}
