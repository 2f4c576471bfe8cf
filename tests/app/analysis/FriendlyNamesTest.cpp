// The friendly-names table: its lookups, where it is loaded from, and the embedded file.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TempDir.h"
#include "app/analysis/FriendlyNames.h"
#include "report/LogWriter.h"
#include "resources/Resources.h"

using namespace ambrel;

namespace {

TFriendlyNames Embedded() {
  TFriendlyNames names;
  names.LoadFromBytes(ambrel::resources::CodecsFriendlyNames());
  return names;
}

TEST(FriendlyNames, LookupEchoesTheCallersKey) {
  const TFriendlyNames names = Embedded();
  EXPECT_EQ(names.LookupFriendlyName("XVID"), "XviD MPEG-4 codec (XVID)");
  EXPECT_EQ(names.LookupFriendlyName("xvid"), "XviD MPEG-4 codec (xvid)");
  EXPECT_EQ(names.LookupFriendlyName("A_VORBIS"), "Vorbis (A_VORBIS)");
  EXPECT_EQ(names.LookupFriendlyName("3IVD"), "\"FFmpeg DivX =-) (MS MPEG-4 v3)\" (3IVD)");
  EXPECT_EQ(names.LookupFriendlyName("MP4V"), "Media Excel MPEG-4 Video (MP4V)");
  EXPECT_EQ(names.LookupFriendlyName(std::string("BGR\x0F", 4)), "Uncompressed BGR 15 bpp (BGR\x0F)");
  EXPECT_EQ(names.LookupFriendlyName("V_MPEG4/ISO/AVC"), "V_MPEG4/ISO/AVC");
  EXPECT_EQ(names.LookupFriendlyName("[Video]"), "[Video]");
  EXPECT_EQ(names.LookupFriendlyName(""), "");
  EXPECT_EQ(names.LookupFormatTagName(0), "Microsoft Unknown Wave Format (0000)");
  EXPECT_EQ(names.LookupFormatTagName(85), "MPEG-1 Layer 3 (MP3) (0055)");
  EXPECT_EQ(names.LookupFormatTagName(8192), "ATSC/A-52 (Dolby AC3) (2000)");
  EXPECT_EQ(names.LookupFormatTagName(0x674F), "Ogg Vorbis (mode 1) (674F)");
  EXPECT_EQ(names.LookupFormatTagName(65534), "Extensible wave format (or Ogg Vorbis) (FFFE)");
  EXPECT_EQ(names.LookupFormatTagName(0x1234), "1234");
}

TEST(FriendlyNames, FirstLineWinsAndValuesAreVerbatim) {
  TFriendlyNames names;
  names.LoadFromBytes("[A]\nK==x \r\nk=second\rEMPTY=\nEMPTY=later\n=blank key\n");
  std::string name;
  ASSERT_TRUE(names.FindName("K", name));
  EXPECT_EQ(name, "=x ");  // split at the first '=', nothing trimmed
  EXPECT_EQ(names.LookupFriendlyName("k"), "=x  (k)");
  ASSERT_TRUE(names.FindName("empty", name));
  EXPECT_EQ(name, "");
  EXPECT_EQ(names.LookupFriendlyName("EMPTY"), "EMPTY");  // an empty name is not a name
  EXPECT_EQ(names.LookupFriendlyName(""), "blank key ()");
  EXPECT_FALSE(names.FindName("[A]", name));
  EXPECT_EQ(names.Lines().size(), 6u);
}

TEST(FriendlyNames, NamesForTheReportAreTextNotMarkup) {
  TFriendlyNames names;
  names.LoadFromBytes("A_FLAC=<script>alert(1)</script><img src=x onerror=alert(2)>\n0001=<b>PCM</b> & co\n");
  THTMLWriter html;
  TTxtWriter text;
  for (TLogWriter* w : std::initializer_list<TLogWriter*>{&html, &text}) {
    w->WriteListField("Codec", names.LookupFriendlyName("A_FLAC", Verbatim("A_FLAC")));
    w->WriteListField("wFormatTag", names.ReportFormatTagName(1));
  }
  EXPECT_EQ(html.GetText(),
            "<li><b>Codec</b> : &lt;script&gt;alert(1)&lt;/script&gt;&lt;img src=x onerror=alert(2)&gt; (A_FLAC)</li>\r\n"
            "<li><b>wFormatTag</b> : &lt;b&gt;PCM&lt;/b&gt; &amp; co (0001)</li>\r\n");
  EXPECT_EQ(text.GetText(),
            " - Codec : <script>alert(1)</script><img src=x onerror=alert(2)> (A_FLAC)\r\n"
            " - wFormatTag : <b>PCM</b> & co (0001)\r\n");
}

TEST(FriendlyNames, SplitsAtEveryKindOfLineEnd) {
  TFriendlyNames names;
  names.LoadFromBytes("a\r\n\r\nb\n\nc\r\rd");
  EXPECT_EQ(names.Lines(), (std::vector<std::string>{"a", "", "b", "", "c", "", "d"}));
  names.LoadFromBytes("a\r\n");
  EXPECT_EQ(names.Lines(), (std::vector<std::string>{"a"}));
  names.LoadFromBytes("");
  EXPECT_TRUE(names.Lines().empty());
}

TEST(FriendlyNames, EmbeddedFileHasItsSectionsAndLineEnds) {
  const std::string_view bytes = ambrel::resources::CodecsFriendlyNames();
  ASSERT_GE(bytes.size(), 2u);
  std::size_t crlf = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n') {
      ASSERT_GT(i, 0u);
      EXPECT_EQ(bytes[i - 1], '\r') << "at byte " << i;
      ++crlf;
    }
  }
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
  const TFriendlyNames names = Embedded();
  EXPECT_EQ(crlf, 649u);
  ASSERT_EQ(names.Lines().size(), 649u);
  std::vector<std::string> sections;
  std::size_t rows = 0;
  for (const std::string& line : names.Lines()) {
    if (!line.empty() && line.front() == '[') sections.push_back(line);
    if (line.find('=') != std::string::npos) ++rows;
  }
  EXPECT_EQ(sections, (std::vector<std::string>{"[Video]", "[Audio]", "[MatroskaVideo]", "[MatroskaAudio]",
                                                "[MatroskaSubtitles]"}));
  EXPECT_EQ(rows, 639u);
}

// Many rows with keys that differ in case, repeat, share prefixes or are empty: every
// lookup answers as reading the lines in order would.
TEST(FriendlyNames, IndexAnswersAsAScanInOrder) {
  std::string bytes;
  std::vector<std::string> keys;
  unsigned seed = 12345;
  const auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7fff; };
  for (int i = 0; i < 3000; ++i) {
    std::string key;
    const unsigned length = next() % 6;
    for (unsigned c = 0; c < length; ++c) key += "aAbB_"[next() % 5];
    keys.push_back(key);
    bytes += key + "=" + std::to_string(i) + (i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\n" : "\r");
    if (i % 97 == 0) bytes += "no key here\n";
  }
  TFriendlyNames names;
  names.LoadFromBytes(bytes);
  const std::vector<std::string> lines = names.Lines();
  for (std::string key : keys) {
    for (char& c : key) c = static_cast<char>(std::islower(static_cast<unsigned char>(c)) ? std::toupper(c) : std::tolower(c));
    std::string expected;
    bool found = false;
    for (const std::string& line : lines) {
      const size_t eq = line.find('=');
      if (eq == std::string::npos || eq != key.size()) continue;
      bool same = true;
      for (size_t c = 0; c < eq; ++c) same = same && std::toupper(line[c]) == std::toupper(key[c]);
      if (same) {
        expected = line.substr(eq + 1);
        found = true;
        break;
      }
    }
    std::string name;
    ASSERT_EQ(names.FindName(key, name), found) << key;
    EXPECT_EQ(name, expected) << key;
  }
  std::string name;
  EXPECT_FALSE(names.FindName("no key here", name));
  EXPECT_FALSE(TFriendlyNames().FindName("", name));  // an empty table
}

class FriendlyNamesFile : public ::testing::Test {
 protected:
  TTempDir temp{"ambrel_friendly_names"};
  std::string dir = temp.Path().string();
};

TEST_F(FriendlyNamesFile, FileBesideTheProgramReplacesTheEmbeddedTable) {
  std::ofstream(dir + "/CodecsFriendlyNames.ini", std::ios::binary) << "[Video]\r\nXVID=Local name\r\n";
  TFriendlyNames names;
  names.Load(dir);  // no trailing '/'
  EXPECT_EQ(names.LookupFriendlyName("XVID"), "Local name (XVID)");
  EXPECT_EQ(names.LookupFriendlyName("A_VORBIS"), "A_VORBIS");  // never merged
  names.Load(dir + "/");
  EXPECT_EQ(names.Lines().size(), 2u);
}

TEST_F(FriendlyNamesFile, MissingOrUnreadableFileFallsBackToTheEmbeddedTable) {
  TFriendlyNames names;
  names.Load(dir);
  EXPECT_EQ(names.Lines().size(), 649u);
  std::filesystem::create_directory(dir + "/CodecsFriendlyNames.ini");  // exists, cannot be read
  names.Load(dir);
  EXPECT_EQ(names.LookupFriendlyName("A_VORBIS"), "Vorbis (A_VORBIS)");
}

}  // namespace
