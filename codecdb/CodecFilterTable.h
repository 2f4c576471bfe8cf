// The codec database's answers worked out ahead: for every Matroska codec ID, FourCC and
// wFormatTag its filters list, the codec entries that propose a filter for it, in database
// order, with what a report shows of each. The build makes the table for the embedded
// database from its parsed tree with the database's own query, so a query answered from
// the table needs neither the tree nor an allocation per node; the table is read where it
// is embedded.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ambrel {

class TXmlCodecDB;
struct TCodecProposal;

class TCodecFilterTable {
 public:
  // The saved table of Db's answers (Db loaded from XML text or a snapshot).
  static std::string Make(const TXmlCodecDB& Db);
  // Every query the table answers with hits, as (CodecID, Fourcc) arguments, plus a few
  // that no table holds: what a check of a table against Db's tree asks.
  static std::vector<std::pair<std::string, std::string>> Queries(const TXmlCodecDB& Db);
  // Reads a saved table, keeping views into Saved (which must outlive the table). A
  // damaged table raises TSimpleXmlInvalid and leaves this table empty.
  void Load(std::string_view Saved);

  // Whether the database's root element is named exactly "codecdb".
  bool RootIsCodecDB() const { return FRootIsCodecDB; }
  // The answers to a query for CodecID (for Video for Windows tracks, for Fourcc; for Audio
  // Compression Manager tracks, for the wFormatTag text in Fourcc), in database order,
  // appended to Out.
  void Find(const std::string& CodecID, const std::string& Fourcc, std::vector<TCodecProposal>& Out) const;

 private:
  struct TCodec {
    std::string_view Name, InstallComments, Url;
  };
  struct THit {
    std::uint32_t Codec;
    std::string_view Guid;
  };
  // A key with its hits, FHits[First, First + Count); keys sorted by kind, then bytes.
  struct TKey {
    unsigned char Kind;
    std::string_view Text;
    std::uint32_t First, Count;
  };

  // The key of that kind and text, or null.
  const TKey* FindKey(unsigned char Kind, std::string_view Text) const;

  bool FRootIsCodecDB = false;
  std::vector<TCodec> FCodecs;
  std::vector<TKey> FKeys;
  std::vector<THit> FHits;
};

}  // namespace ambrel
