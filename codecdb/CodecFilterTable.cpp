// Saved form: a magic word, the root byte (1: the root is "codecdb"), the codec entry
// count with each entry's name, install comments and web address, then the key count,
// the count of all hits, and each key's kind byte (0: codec ID, 1: FourCC, 2: wFormatTag of
// an Audio Compression Manager track), bytes and hit count, each hit being the codec entry's position and the filter's class ID. Keys are sorted by kind, then by
// bytes; counts and lengths are coded as in the XML snapshot.
#include "codecdb/CodecFilterTable.h"

#include <algorithm>
#include <set>
#include <utility>

#include "codecdb/XmlCodecDB.h"
#include "xml/SnapshotCoding.h"

namespace ambrel {

namespace {

constexpr std::string_view kMagic = "ACF1";
constexpr std::string_view kForm = "codec filter table";
enum : unsigned char { kByCodecID = 0, kByFourcc = 1, kByFormatTag = 2 };

// Every value listed under an element named (ignoring case) "matroskaids", "fourccs" or
// "wFormatTags" anywhere in the tree: a superset of the keys a query can find. A query for
// a wFormatTag that no list holds has the answer of the ACM codec ID without one.
void CollectKeys(const TSimpleXmlElem& node, std::set<std::pair<unsigned char, std::string>>& keys) {
  const bool ids = SameTextAscii(node.Name(), "matroskaids");
  const bool fourccs = SameTextAscii(node.Name(), "fourccs");
  const bool tags = SameTextAscii(node.Name(), "wFormatTags");
  for (int i = 0; i < node.Items().Count(); ++i) {
    const TSimpleXmlElem& child = *node.Items().Item(i);
    if (ids) keys.emplace(kByCodecID, child.Value);
    if (fourccs) keys.emplace(kByFourcc, child.Value);
    if (tags) keys.emplace(kByFormatTag, child.Value);
    CollectKeys(child, keys);
  }
}

// The arguments of a query for a key.
std::pair<std::string, std::string> QueryOf(unsigned char kind, const std::string& text) {
  if (kind == kByFourcc) return {std::string(kVfwCodecID), text};
  if (kind == kByFormatTag) return {std::string(kAcmCodecID), text};
  return {text, ""};
}

}  // namespace

std::vector<std::pair<std::string, std::string>> TCodecFilterTable::Queries(const TXmlCodecDB& Db) {
  std::set<std::pair<unsigned char, std::string>> keys;
  CollectKeys(Db.Document().Root(), keys);
  std::vector<std::pair<std::string, std::string>> queries;
  for (const auto& [kind, text] : keys) queries.push_back(QueryOf(kind, text));
  for (const char* absent : {"", "A_NONE", "v_mpeg4/iso"}) {
    queries.emplace_back(absent, "");
    queries.emplace_back(std::string(kVfwCodecID), absent);
  }
  queries.emplace_back(std::string(kVfwCodecID), "xvid");
  queries.emplace_back(std::string(kAcmCodecID), "0x1234");
  return queries;
}

std::string TCodecFilterTable::Make(const TXmlCodecDB& Db) {
  std::string out(kMagic);
  out += static_cast<char>(Db.RootIsCodecDB() ? 1 : 0);
  const TSimpleXmlElem* codecs = Db.Document().Root().Items().FindItem("codecs");
  const int codecCount = codecs ? codecs->Items().Count() : 0;
  PutSnapshotCount(out, static_cast<size_t>(codecCount));
  for (int i = 0; i < codecCount; ++i) {
    const TSimpleXmlElem* codec = codecs->Items().Item(i);
    PutSnapshotText(out, GetChildValue(codec, "name"));
    PutSnapshotText(out, GetChildValue(codec, "installcomments"));
    PutSnapshotText(out, GetChildValue(codec, "url"));
  }
  std::set<std::pair<unsigned char, std::string>> keys;
  CollectKeys(Db.Document().Root(), keys);
  std::string entries;
  size_t keyCount = 0;
  size_t allHits = 0;
  for (const auto& [kind, text] : keys) {
    // A query for the Video for Windows codec ID goes by FourCC, so its codec-ID key is
    // never asked for.
    if (kind == kByCodecID && text == kVfwCodecID) continue;
    std::string hits;
    size_t hitCount = 0;
    TCodecFilterMatch match;
    const auto [codecID, fourcc] = QueryOf(kind, text);
    Db.FindFirstFilter(codecID, fourcc, match);
    for (; match.Found; Db.FindNextFilter(match), ++hitCount) {
      PutSnapshotCount(hits, static_cast<size_t>(match.NextCodec - 1));  // the cursor is past the hit
      PutSnapshotText(hits, match.Filter->Properties().PropertyValue("guid", ""));
    }
    if (hitCount == 0) continue;
    entries += static_cast<char>(kind);
    PutSnapshotText(entries, text);
    PutSnapshotCount(entries, hitCount);
    entries += hits;
    ++keyCount;
    allHits += hitCount;
  }
  PutSnapshotCount(out, keyCount);
  PutSnapshotCount(out, allHits);
  return out + entries;
}

void TCodecFilterTable::Load(std::string_view Saved) {
  *this = TCodecFilterTable();
  TSnapshotReader in(Saved, kForm);
  try {
    if (Saved.substr(0, kMagic.size()) != kMagic) in.Damaged("not a codec filter table");
    in = TSnapshotReader(Saved.substr(kMagic.size()), kForm);
    FRootIsCodecDB = in.Byte() != 0;
    FCodecs.resize(in.ItemCount());
    for (TCodec& codec : FCodecs) {
      codec.Name = in.Text();
      codec.InstallComments = in.Text();
      codec.Url = in.Text();
    }
    FKeys.resize(in.ItemCount());
    const size_t hitCount = in.ItemCount();
    FHits.reserve(hitCount);
    for (size_t k = 0; k < FKeys.size(); ++k) {
      TKey& key = FKeys[k];
      key.Kind = in.Byte();
      key.Text = in.Text();
      if (key.Kind > kByFormatTag) in.Damaged("unknown key kind");
      if (k > 0 && std::pair(FKeys[k - 1].Kind, FKeys[k - 1].Text) >= std::pair(key.Kind, key.Text)) {
        in.Damaged("keys out of order");
      }
      key.First = static_cast<std::uint32_t>(FHits.size());
      key.Count = static_cast<std::uint32_t>(in.ItemCount());
      for (std::uint32_t h = 0; h < key.Count; ++h) {
        const size_t codec = in.Count();
        if (codec >= FCodecs.size()) in.Damaged("hit past the codec entries");
        FHits.push_back({static_cast<std::uint32_t>(codec), in.Text()});
      }
    }
    if (FHits.size() != hitCount) in.Damaged("hit count wrong");
    if (!in.AtEnd()) in.Damaged("bytes after the keys");
  } catch (...) {
    *this = TCodecFilterTable();
    throw;
  }
}

const TCodecFilterTable::TKey* TCodecFilterTable::FindKey(unsigned char Kind, std::string_view Text) const {
  const std::pair sought(Kind, Text);
  const auto key = std::lower_bound(FKeys.begin(), FKeys.end(), sought, [](const TKey& k, const auto& s) {
    return std::pair(k.Kind, k.Text) < s;
  });
  if (key == FKeys.end() || std::pair(key->Kind, key->Text) != sought) return nullptr;
  return &*key;
}

void TCodecFilterTable::Find(const std::string& CodecID, const std::string& Fourcc,
                             std::vector<TCodecProposal>& Out) const {
  const bool byFourcc = CodecID == kVfwCodecID;
  const TKey* key = byFourcc ? FindKey(kByFourcc, Fourcc) : nullptr;
  if (!byFourcc && CodecID == kAcmCodecID && !Fourcc.empty()) key = FindKey(kByFormatTag, Fourcc);
  if (!byFourcc && !key) key = FindKey(kByCodecID, CodecID);
  if (!key) return;
  for (std::uint32_t h = key->First; h < key->First + key->Count; ++h) {
    const TCodec& codec = FCodecs[FHits[h].Codec];
    Out.push_back({std::string(codec.Name), std::string(FHits[h].Guid), std::string(codec.InstallComments),
                   std::string(codec.Url)});
  }
}

}  // namespace ambrel
