// The codec database: which codec packages, and which of their filters, can handle a
// track with a given CodecID (or, for Video for Windows tracks, a given FOURCC; for Audio
// Compression Manager tracks, a given wFormatTag).
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "codecdb/CodecFilterTable.h"
#include "xml/SimpleXml.h"

namespace ambrel {

// The codec ID of Video for Windows tracks, which the database matches by FourCC.
inline constexpr std::string_view kVfwCodecID = "V_MS/VFW/FOURCC";
// The codec ID of Audio Compression Manager tracks. A filter that lists it and has a
// "wFormatTags" list takes only the tracks whose wFormatTag that list holds.
inline constexpr std::string_view kAcmCodecID = "A_MS/ACM";

// A wFormatTag as the database writes it: "0x" and four upper-case hex digits.
std::string WaveFormatTagText(uint32_t Tag);

// One hit of a query by value: the proposing codec entry's "name", "installcomments" and
// "url" children and the proposed filter's "guid" attribute (empty when missing).
struct TCodecProposal {
  std::string Name;
  std::string Guid;
  std::string InstallComments;
  std::string Url;

  bool operator==(const TCodecProposal&) const = default;
};

// One hit of a query, and where the query goes on from. The references point into the
// database's document; when Found is false they keep what they held before. The query's
// state lives here, not in the database, so threads can query one database at once.
struct TCodecFilterMatch {
  bool Found = false;
  TSimpleXmlElem* Codec = nullptr;   // a child of "codecs"
  TSimpleXmlElem* Filter = nullptr;  // a child of that codec's "filters"

  // The query's cursor: what is sought and the next codec entry to look at. Fourcc is the
  // query's second key: the FourCC of a Video for Windows track, the wFormatTag text of an
  // Audio Compression Manager track (empty when it has none); other tracks ignore it.
  std::string CodecID;
  std::string Fourcc;
  const TSimpleXmlElems* Codecs = nullptr;
  int NextCodec = 0;
};

class TXmlCodecDB {
 public:
  TXmlCodecDB();
  TXmlCodecDB(const TXmlCodecDB&) = delete;
  TXmlCodecDB& operator=(const TXmlCodecDB&) = delete;

  // Each load raises what the parser raises; the result tells whether the root
  // element is named exactly "codecdb".
  bool LoadFromFile(const std::string& FileName);
  bool LoadFromStream(TXmlReadStream& Stream);
  bool LoadFromString(std::string_view Data);
  // Rebuilds the tree from a snapshot made by SaveXmlSnapshot (xml/XmlSnapshot.h)
  // without parsing text; a damaged snapshot raises TSimpleXmlInvalid.
  bool LoadFromSnapshot(std::string_view Snapshot);
  // Answers queries by value from FilterTable, the table the build worked out from the
  // same database as Snapshot (codecdb/CodecFilterTable.h), and rebuilds the tree from
  // Snapshot only when it is first asked for (by Document or FindFirstFilter). Both must
  // live as long as the database. A damaged table raises TSimpleXmlInvalid.
  bool LoadFromTables(std::string_view Snapshot, std::string_view FilterTable);

  // Starts a new query and fills Match with its first hit. Each codec entry yields
  // at most one hit: its first matching filter. Queries never change the database.
  // Fourcc is the second key described at TCodecFilterMatch.
  void FindFirstFilter(const std::string& CodecID, const std::string& Fourcc, TCodecFilterMatch& Match) const;
  void FindNextFilter(TCodecFilterMatch& Match) const;
  // The hits of the query FindFirstFilter starts, in order, as values (Out is replaced).
  void FindProposals(const std::string& CodecID, const std::string& Fourcc, std::vector<TCodecProposal>& Out) const;

  // The tree; the changeable one stops queries being answered from a table, so that they
  // follow whatever the caller changes.
  TSimpleXml& Document();
  const TSimpleXml& Document() const;
  // Whether the root element is named exactly "codecdb".
  bool RootIsCodecDB() const;
  // Why a loaded document is not a codec database (it names the root element), for
  // when RootIsCodecDB is false.
  std::string NotCodecDBMessage() const;

 private:
  // Rebuilds the tree from the pending snapshot, once, whichever thread comes first.
  const TSimpleXml& Tree() const;

  std::unique_ptr<TSimpleXml> FXml;
  std::unique_ptr<TCodecFilterTable> FTable;  // null: queries read the tree
  std::string_view FPendingSnapshot;          // the tree's source until it is rebuilt
  std::unique_ptr<std::once_flag> FTreeOnce;
};

// The Value of Element's child of that name (case-insensitive, last of equal names);
// empty when Element is null or has no such child.
std::string GetChildValue(const TSimpleXmlElem* Element, const std::string& Name);
// Whether the filter's "fourccs" list holds a child whose value is exactly Fourcc.
bool FilterHasFourcc(const TSimpleXmlElem* Filter, const std::string& Fourcc);
// Whether the filter's "matroskaids" list holds a child whose value is exactly CodecID.
bool FilterHasMatroskaId(const TSimpleXmlElem* Filter, const std::string& CodecID);
// Whether the filter takes an Audio Compression Manager track of wFormatTag text Tag: it
// has no "wFormatTags" list, or that list holds a child whose value is exactly Tag.
bool FilterTakesFormatTag(const TSimpleXmlElem* Filter, const std::string& Tag);
// The node after Element in its parent's child list, or null.
TSimpleXmlElem* NextSibling(TSimpleXmlElem* Element);

// The embedded databases: the Windows filters', and the GStreamer elements' (one codec
// entry per plugin package, one filter per element, its guid the element's class id).
enum class TCodecDbSource { DirectShow, GStreamer };
// Loads the database the program uses: "CodecsDB.xml" in ExeDir when that file
// exists, else the embedded one of Source (also when ExeDir is empty: the folder is
// unknown). A file that fails to load (not a regular file, too large, unreadable, not
// XML, not a codec database) leaves its message, naming the file, in *ErrorMessage (when
// given) and the embedded database is used instead.
// Returns the result of the load that took effect.
bool LoadCodecDB(TXmlCodecDB& DB, const std::string& ExeDir, std::string* ErrorMessage,
                 TCodecDbSource Source = TCodecDbSource::DirectShow);
// Only the data file: the database in "CodecsDB.xml" in ExeDir, or null when there is
// no such file or it fails to load (its message then in *ErrorMessage, when given).
std::unique_ptr<TXmlCodecDB> LoadCodecDBFile(const std::string& ExeDir, std::string* ErrorMessage);
// The embedded database, made on the first call (by whichever thread comes first) and
// kept for the rest of the process: queries by value read the build-time table of its
// answers, and its tree is rebuilt from the build-time snapshot only when asked for.
const TXmlCodecDB& EmbeddedCodecDB();
const TXmlCodecDB& EmbeddedGstCodecDB();  // the same, of the GStreamer database

}  // namespace ambrel
