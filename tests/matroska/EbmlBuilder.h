// Builds EBML byte sequences for the parser tests, and runs the parser over them.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "matroska/MatroskaHelper.h"
#include "io/ByteSource.h"
#include "report/LogWriter.h"

using namespace ambrel;

namespace ebml {

// The ID's bytes, big-endian, marker bit included (as the IDs are published).
inline std::string Id(uint32_t id) {
  std::string out;
  int n = id > 0xFFFFFF ? 4 : id > 0xFFFF ? 3 : id > 0xFF ? 2 : 1;
  for (int i = n - 1; i >= 0; --i) out += static_cast<char>((id >> (8 * i)) & 0xFF);
  return out;
}

// A size field of the given length (1 to 8), or the shortest that holds the value.
inline std::string Size(uint64_t size, int length = 0) {
  if (length == 0) {
    length = 1;
    while (length < 8 && size >= (uint64_t{1} << (7 * length)) - 1) ++length;
  }
  std::string out;
  const uint64_t coded = size | (uint64_t{1} << (7 * length));
  for (int i = length - 1; i >= 0; --i) out += static_cast<char>((coded >> (8 * i)) & 0xFF);
  return out;
}

inline std::string Element(uint32_t id, const std::string& data) { return Id(id) + Size(data.size()) + data; }

inline std::string Master(uint32_t id, std::initializer_list<std::string> children) {
  std::string data;
  for (const std::string& c : children) data += c;
  return Element(id, data);
}

// Unsigned integer in the fewest bytes (at least one), or in exactly `bytes` bytes.
inline std::string Uint(uint32_t id, uint64_t value, int bytes = 0) {
  if (bytes == 0) {
    bytes = 1;
    while (bytes < 8 && (value >> (8 * bytes)) != 0) ++bytes;
  }
  std::string data;
  for (int i = bytes - 1; i >= 0; --i) data += static_cast<char>(i >= 8 ? 0 : (value >> (8 * i)) & 0xFF);
  return Element(id, data);
}

inline std::string Str(uint32_t id, const std::string& text) { return Element(id, text); }

inline std::string Float8(uint32_t id, double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, 8);
  std::string data;
  for (int i = 7; i >= 0; --i) data += static_cast<char>((bits >> (8 * i)) & 0xFF);
  return Element(id, data);
}

// Element IDs used by the tests.
enum : uint32_t {
  kEbml = 0x1A45DFA3, kDocType = 0x4282, kDocTypeVersion = 0x4287, kDocTypeReadVersion = 0x4285,
  kSegment = 0x18538067, kSeekHead = 0x114D9B74, kSeek = 0x4DBB, kSeekID = 0x53AB, kSeekPosition = 0x53AC,
  kInfo = 0x1549A966, kTimecodeScale = 0x2AD7B1, kDuration = 0x4489, kTitle = 0x7BA9, kDateUTC = 0x4461,
  kTracks = 0x1654AE6B, kTrackEntry = 0xAE, kTrackNumber = 0xD7, kTrackType = 0x83, kTrackUID = 0x73C5,
  kCodecID = 0x86, kCodecPrivate = 0x63A2, kVideo = 0xE0, kAudio = 0xE1, kPixelWidth = 0xB0, kPixelHeight = 0xBA,
  kDisplayWidth = 0x54B0, kDisplayHeight = 0x54BA, kSamplingFrequency = 0xB5, kChannels = 0x9F,
  kAttachments = 0x1941A469, kAttachedFile = 0x61A7, kFileName = 0x466E, kFileData = 0x465C,
  kChapters = 0x1043A770, kEditionEntry = 0x45B9, kChapterAtom = 0xB6, kChapterTimeStart = 0x91,
  kChapterTimeEnd = 0x92, kChapterUID = 0x73C4,
  kChapterTrack = 0x8F, kChapterTrackNumber = 0x89, kChapterDisplay = 0x80, kChapString = 0x85,
  kTags = 0x1254C367, kTag = 0x7373, kTargets = 0x63C0, kTargetTypeValue = 0x68CA, kSimpleTag = 0x67C8,
  kTagName = 0x45A3, kTagString = 0x4487, kCluster = 0x1F43B675, kVoid = 0xEC,
};

// An EBML header with the given document type and read version.
inline std::string Header(const std::string& docType = "matroska", uint64_t readVersion = 1) {
  return Master(kEbml, {Str(kDocType, docType), Uint(kDocTypeVersion, 1), Uint(kDocTypeReadVersion, readVersion)});
}

// A Segment with a size field of 8 bytes, so offsets of its children don't move when it grows.
inline std::string Segment(const std::string& children) { return Id(kSegment) + Size(children.size(), 8) + children; }

inline std::string Cluster() { return Master(kCluster, {Uint(0xE7, 0)}); }

// Joins lines into a log text (each line ends with CR LF).
inline std::string Log(std::initializer_list<std::string> lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\r\n";
  return out;
}

// One parse of in-memory bytes: the result, the error message if one left Parse, the log.
struct TParse {
  explicit TParse(const std::string& bytes, int64_t maxChunk = 0)
      : File(std::make_unique<ambrel::TMemorySource>(bytes, maxChunk)), Reader(File, LogWriter) {
    try {
      Result = Reader.Parse();
    } catch (const EMatroskaError& e) {
      Error = e.what();
    }
  }
  std::string Log() const { return LogWriter.GetText(); }

  TTxtWriter LogWriter;
  TFileReader File;
  TMatroskaReader Reader;
  bool Result = false;
  std::string Error;
};

}  // namespace ebml
