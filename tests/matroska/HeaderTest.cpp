// The EBML header reader and the document checks that follow it.
#include <gtest/gtest.h>

#include "EbmlBuilder.h"

using namespace ambrel;

using namespace ebml;

TEST(EbmlHeader, Failures) {
  EXPECT_EQ(TParse("").Error, "TEbmlReader.ReaderHeader : Can't read EBML header.");
  EXPECT_EQ(TParse(Segment("")).Error, "TEbmlReader.ReaderHeader : EBML header ID not found (found 0x18538067)");
  EXPECT_EQ(TParse(Id(kEBML)).Error, "TEbmlReader.ReaderHeader : Can't read EBML header length.");
  // The header claims 40 bytes; its one child reads well, then the file (12 bytes) ends.
  TParse p(Id(kEBML) + Size(40) + Str(kDocType, "webm"));
  EXPECT_EQ(p.Error, "TEbmlReader.ReaderHeader : Error while reading element at position 12.");
  EXPECT_EQ(p.Log(), Log({"DocType : webm"}));
  EXPECT_EQ(p.Reader.EbmlReader->Level(), 0);  // the header left the stack on the error
}

TEST(EbmlHeader, DefaultsSkipsAndRepeats) {
  // An empty header keeps the defaults; the empty DocType is refused.
  TParse empty(std::string("\x1A\x45\xDF\xA3\x80", 5));
  const TEbmlHeader& h = empty.Reader.EbmlReader->Header;
  EXPECT_EQ(h.EBMLVersion + h.EBMLReadVersion + h.EBMLMaxIDLength + h.EBMLMaxSizeLength, 1 + 1 + 4 + 8);
  EXPECT_EQ(empty.Log(), Log({"Wrong DocType ()"}));

  TParse p(Master(kEBML, {Uint(kEBMLVersion, 1), Element(kCRC32, "abcd"), Str(kDocType, "matroska"),
                          Uint(kDocTypeReadVersion, 7), Element(kVoid, ""), Uint(kDocTypeReadVersion, 2)}) +
           Segment(Cluster()));
  EXPECT_TRUE(p.Result);
  EXPECT_EQ(p.Log(), Log({"EBMLVersion : 1", "Skipping element with ID BF at position 9", "DocType : matroska",
                          "DocTypeReadVersion : 7", "Skipping element with ID EC at position 30",
                          "DocTypeReadVersion : 2"}));
}

TEST(EbmlHeader, DocTypeAndReadVersionChecks) {
  EXPECT_TRUE(TParse(Header("webm") + Segment(Cluster())).Result);
  EXPECT_TRUE(TParse(Header("matroska", 0) + Segment(Cluster())).Result);
  EXPECT_TRUE(TParse(Header("matroska", 4) + Segment(Cluster())).Result);
  // Other words, or other letter case, are refused; the word is logged as stored.
  TParse upper(Header("<i>Matroska") + Segment(Cluster()));
  EXPECT_FALSE(upper.Result);
  EXPECT_NE(upper.Log().find("\r\nWrong DocType (<i>Matroska)\r\n"), std::string::npos);
  TParse five(Header("matroska", 5) + Segment(Cluster()));
  EXPECT_FALSE(five.Result);
  EXPECT_EQ(five.Log(), Log({"DocType : matroska", "DocTypeVersion : 1", "DocTypeReadVersion : 5",
                             "Wrong DocTypeReadVersion (5)"}));
  // Versions are unsigned and judged whole: none reads negative, and the low bits alone
  // (1 here) do not pass for the value.
  for (const auto& [version, text] : {std::pair<uint64_t, std::string>{~uint64_t{0} - 254, "18446744073709551361"},
                                      {(uint64_t{1} << 32) + 1, "4294967297"}}) {
    TParse huge(Header("matroska", version) + Segment(Cluster()));
    EXPECT_FALSE(huge.Result);
    EXPECT_EQ(huge.Reader.Failure.Message, "Wrong DocTypeReadVersion (" + text + ")");
    EXPECT_EQ(huge.Reader.EbmlReader->Header.DocTypeReadVersion, version);
  }
  // The Segment must follow the header directly.
  TParse voidFirst(Header() + Element(kVoid, "") + Segment(Cluster()));
  EXPECT_FALSE(voidFirst.Result);
  EXPECT_NE(voidFirst.Log().find("\r\nSegment not found\r\n"), std::string::npos);
}
