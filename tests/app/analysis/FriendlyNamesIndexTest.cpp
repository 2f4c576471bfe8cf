// The saved form of a friendly-names index: the build-made one is the index of the
// embedded text, and a saved index is only adopted for the text it was made from.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "app/analysis/FriendlyNames.h"
#include "codecdb/FriendlyNamesIndex.h"
#include "resources/Resources.h"

using namespace ambrel;

namespace {

// Every kind of line end, lines without '=', empty lines and keys, a final line without
// a break.
const std::string kText = "a=1\r\nB=2\nno key\r\r\n=empty key\nA=3\rc=x=y\n\nlast=4";

void SetWord(std::string& saved, std::size_t at, std::uint32_t value) { std::memcpy(saved.data() + at, &value, 4); }

bool Same(const TFriendlyIndex& a, const TFriendlyIndex& b) {
  if (a.LineCount() != b.LineCount() || a.SlotCount() != b.SlotCount()) return false;
  for (std::size_t i = 0; i < a.SlotCount(); ++i) {
    if (a.Slot(i) != b.Slot(i)) return false;
  }
  for (std::size_t i = 0; i < a.LineCount(); ++i) {
    const TFriendlyLine x = a.Line(i), y = b.Line(i);
    if (x.Start != y.Start || x.Length != y.Length || x.KeyLength != y.KeyLength) return false;
  }
  return true;
}

}  // namespace

TEST(FriendlyNamesIndex, BuildMadeIndexIsTheEmbeddedTablesIndex) {
  const std::string_view text = resources::CodecsFriendlyNames();
  TFriendlyIndex built, loaded;
  built.Build(text);
  ASSERT_TRUE(loaded.Load(resources::CodecsFriendlyNamesIndex(), text));
  EXPECT_TRUE(Same(built, loaded));

  // The table that uses it answers every key of the text as one indexed now does; the
  // keys are read from the text here, not from the index.
  TFriendlyNames fresh;
  fresh.LoadFromBytes(text);
  EXPECT_EQ(TFriendlyNames::Embedded().Lines(), fresh.Lines());
  std::vector<std::string> keys{"NO_SUCH_CODEC", ""};
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
    const std::string_view line = text.substr(start, end - start);
    if (line.find('=') != std::string_view::npos) keys.emplace_back(line.substr(0, line.find('=')));
    start = end + 1;
  }
  ASSERT_GT(keys.size(), 100u);
  for (const std::string& key : keys) {
    std::string expected, name;
    EXPECT_EQ(TFriendlyNames::Embedded().FindName(key, name), fresh.FindName(key, expected)) << key;
    EXPECT_EQ(name, expected) << key;
  }
}

TEST(FriendlyNamesIndex, SavedFormRoundTrips) {
  for (const std::string& text : {kText, std::string(), std::string("\n\n"), std::string("k=v\r\n")}) {
    TFriendlyIndex built, loaded;
    built.Build(text);
    const std::string saved = built.Save(text);  // read where it is: kept while loaded is used
    ASSERT_TRUE(loaded.Load(saved, text)) << text;
    EXPECT_TRUE(Same(built, loaded)) << text;
  }
}

TEST(FriendlyNamesIndex, IndexOfOtherTextIsRefused) {
  TFriendlyIndex built;
  built.Build(kText);
  const std::string saved = built.Save(kText);
  const auto refused = [](const std::string& form, const std::string& text) {
    TFriendlyIndex index;
    const bool loaded = index.Load(form, text);
    EXPECT_TRUE(index.LineCount() == 0 && index.SlotCount() == 0);
    return !loaded;
  };
  // Text of another size, or of the same size with a line break or '=' elsewhere.
  EXPECT_TRUE(refused(saved, kText + "x"));
  std::string moved = kText;
  std::swap(moved[1], moved[2]);  // "a\r=1\n..."
  EXPECT_TRUE(refused(saved, moved));
  moved = kText;
  std::swap(moved[5], moved[6]);  // "B=2" becomes "=B2"
  EXPECT_TRUE(refused(saved, moved));
  // Lines in the same places with another key or name: the slots would miss the new key.
  moved = kText;
  moved[0] = 'z';  // "z=1"
  EXPECT_TRUE(refused(saved, moved));
  moved = kText;
  moved[2] = '9';  // "a=9"
  EXPECT_TRUE(refused(saved, moved));
  // Damaged forms: magic, truncation, a line out of place, a slot past the lines, a
  // fingerprint changed.
  EXPECT_TRUE(refused("BFN1" + saved.substr(4), kText));
  for (std::size_t size = 0; size < saved.size(); size += 3) EXPECT_TRUE(refused(saved.substr(0, size), kText));
  std::string damaged = saved;
  SetWord(damaged, 16 + 12, static_cast<std::uint32_t>(built.Lines[1].Start + 1));  // the second line's start
  EXPECT_TRUE(refused(damaged, kText));
  damaged = saved;
  const std::size_t slots = 16 + 12 * built.Lines.size();
  for (std::size_t i = 0; i < built.Slots.size(); ++i) {
    if (built.Slots[i] != 0) SetWord(damaged, slots + 4 * i, static_cast<std::uint32_t>(built.Lines.size() + 1));
  }
  EXPECT_TRUE(refused(damaged, kText));
  // A slot naming a line without '=', and a table with no empty slot to end a search.
  damaged = saved;
  for (std::size_t i = 0; i < built.Slots.size(); ++i) {
    if (built.Slots[i] != 0) SetWord(damaged, slots + 4 * i, 3);  // "no key"
  }
  EXPECT_TRUE(refused(damaged, kText));
  damaged = saved;
  for (std::size_t i = 0; i < built.Slots.size(); ++i) SetWord(damaged, slots + 4 * i, 1);
  EXPECT_TRUE(refused(damaged, kText));
  damaged = saved;
  damaged.back() ^= 1;
  EXPECT_TRUE(refused(damaged, kText));
}

TEST(FriendlyNamesIndex, LookupsStayInsideAWrongButAdoptedForm) {
  // Forms saved from indexes gone wrong carry a right fingerprint: slots past the lines,
  // or no empty slot to end a search. A lookup still ends, inside the form.
  for (const std::uint32_t fill : {0u, 1u, 100u}) {
    TFriendlyIndex wrong;
    wrong.Build(kText);
    for (std::uint32_t& slot : wrong.Slots) slot = fill == 0 ? static_cast<std::uint32_t>(wrong.Lines.size() + 1) : fill;
    const std::string saved = wrong.Save(kText);
    TFriendlyIndex loaded;
    ASSERT_TRUE(loaded.Load(saved, kText));
    for (const char* key : {"a", "B", "missing", ""}) EXPECT_LT(loaded.SlotOf(kText, key), loaded.SlotCount()) << key;
  }
}
