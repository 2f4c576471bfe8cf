// Track types, dates, clock times and language names.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <sstream>
#include <string>

#include "matroska/LanguageTable.h"
#include "matroska/ValueFormat.h"

using namespace ambrel;

namespace {

TEST(TrackTypeToStr, NamesKnownTypesIgnoringBit7) {
  EXPECT_EQ(TrackTypeToStr(1), "Video");
  EXPECT_EQ(TrackTypeToStr(0x81), "Video");
  EXPECT_EQ(TrackTypeToStr(2), "Audio");
  EXPECT_EQ(TrackTypeToStr(3), "Complex");
  EXPECT_EQ(TrackTypeToStr(0x10), "Logo");
  EXPECT_EQ(TrackTypeToStr(0x91), "Subtitles");
  EXPECT_EQ(TrackTypeToStr(0x20), "Control");
  EXPECT_EQ(TrackTypeToStr(0), "");
  EXPECT_EQ(TrackTypeToStr(0x12), "");
  EXPECT_EQ(TrackTypeToStr(0xFF), "");
}

TEST(DateUTCToStr, CountsFrom2001AndDropsSubMilliseconds) {
  EXPECT_EQ(DateUTCToStr(1), "2001-01-01 00:00:00.000");
  EXPECT_EQ(DateUTCToStr(86401500000000), "2001-01-02 00:00:01.500");
  EXPECT_EQ(DateUTCToStr(999999), "2001-01-01 00:00:00.000");  // 0.999999 ms
  // Before the origin: ticks truncate toward zero, the clock then counts back.
  EXPECT_EQ(DateUTCToStr(-99), "2001-01-01 00:00:00.000");
  EXPECT_EQ(DateUTCToStr(-100), "2000-12-31 23:59:59.999");
  // Leap days of a year divisible by 400 and of an ordinary leap year; 2100 is not leap.
  EXPECT_EQ(DateUTCToStr(-int64_t{2} * 86400000000000), "2000-12-30 00:00:00.000");
  EXPECT_EQ(DateUTCToStr(-int64_t{307} * 86400000000000), "2000-02-29 00:00:00.000");
  EXPECT_EQ(DateUTCToStr(int64_t{1154} * 86400000000000), "2004-02-29 00:00:00.000");
  EXPECT_EQ(DateUTCToStr(int64_t{36218} * 86400000000000), "2100-03-01 00:00:00.000");
  EXPECT_EQ(DateUTCToStr(int64_t{36583} * 86400000000000), "2101-03-01 00:00:00.000");
}

TEST(DateUTCToStr, ExtremeValuesStayInCalendarRange) {
  EXPECT_EQ(DateUTCToStr(std::numeric_limits<int64_t>::max()), "2293-04-11 23:47:16.854");
  EXPECT_EQ(DateUTCToStr(std::numeric_limits<int64_t>::min()), "1708-09-22 00:12:43.145");
}

TEST(MillisecondsToStr, SplitsIntoClockFieldsWithoutWrappingHours) {
  EXPECT_EQ(MillisecondsToStr(0), "00:00:00.000");
  EXPECT_EQ(MillisecondsToStr(3723004), "01:02:03.004");
  EXPECT_EQ(MillisecondsToStr(360000000), "100:00:00.000");
  EXPECT_EQ(MillisecondsToStr(std::numeric_limits<uint32_t>::max()), "1193:02:47.295");
}

TEST(LanguageCodeToName, MatchesEitherCodeOnTheFirstThreeCharacters) {
  EXPECT_EQ(LanguageCodeToName("eng"), "English");
  EXPECT_EQ(LanguageCodeToName("english"), "English");
  EXPECT_EQ(LanguageCodeToName("ger"), "German");
  EXPECT_EQ(LanguageCodeToName("deu"), "German");
  EXPECT_EQ(LanguageCodeToName("fra"), "French");
  EXPECT_EQ(LanguageCodeToName("hrv"), "Croatian");
  EXPECT_EQ(LanguageCodeToName("scc"), "Serbian");
  EXPECT_EQ(LanguageCodeToName("qaa"), "Reserved for local use");
  EXPECT_EQ(LanguageCodeToName("qtz"), "Reserved for local use");
  EXPECT_EQ(LanguageCodeToName("qab"), "");
  EXPECT_EQ(LanguageCodeToName("zxx"), "");
  EXPECT_EQ(LanguageCodeToName("en"), "");
  EXPECT_EQ(LanguageCodeToName("ENG"), "");
  EXPECT_EQ(LanguageCodeToName("Eng"), "");
  EXPECT_EQ(LanguageCodeToName(""), "");  // rows without a second code must not match ""
  EXPECT_EQ(LanguageCodeToName(nullptr), "");
}

TEST(LanguageCodeToName, FirstRowOfASharedCodeWins) {
  EXPECT_EQ(LanguageCodeToName("chu"), "Church Slavic; Slavonic; Church Slavonic; Old Bulgarian; Old Church Slavonic");
  EXPECT_EQ(LanguageCodeToName("nds"), "German, Low; Saxon, Low; Low German; Low Saxon");
  EXPECT_EQ(LanguageCodeToName("nld"), "Dutch; Flemish");
  EXPECT_EQ(LanguageCodeToName("spa"), "Castilian; Spanish");
  EXPECT_EQ(LanguageCodeToName("nbl"), "Ndebele, South");
  EXPECT_EQ(LanguageCodeToName("oci"), "Occitan (post 1500),; Provençal");
  EXPECT_EQ(LanguageCodeToName("nob"), "Bokmål, Norwegian; Norwegian Bokmål");
  EXPECT_EQ(LanguageCodeToName("gwi"), "Gwich´in");
  EXPECT_EQ(LanguageCodeToName("vol"), "Volapük");
}

TEST(FindLanguage, KnowsEveryCodeOfTheIndex) {
  // The index's rows in order, with both codes where a row has two: both name the row.
  const std::string expected =
    "abk ace ach ada aar afh afr afa aka akk alb/sqi ale alg tut amh apa ara arg arc arp arn arw "
    "arm/hye art asm ast ath aus map ava ave awa aym aze ast ban bat bal bam bai bad bnt bas bak "
    "baq/eus btk bej bel bem ben ber bho bih bik bin bis nob bos bra bre bug bul bua bur/mya cad car "
    "spa cat cau ceb cel cai chg cmc cha che chr nya chy chb nya chi/zho chn chp cho zha chu chu chk "
    "chv cop cor cos cre mus crp cpe cpf cpp scr/hrv cus cze/ces dak dan dar day del din div doi dgr "
    "dra dua dut/nld dum dyu dzo efi egy eka elx eng enm ang epo est ewe ewo fan fat fao fij fin fiu "
    "dut/nld fon fre/fra frm fro fry fur ful gaa gla glg lug gay gba gez geo/kat ger/deu nds gmh goh "
    "gem kik gil gon gor got grb grc gre/ell kal grn guj gwi hai hau haw heb her hil him hin hmo hit "
    "hmn hun hup iba ice/isl ido ibo ijo ilo smn inc ine ind inh ina ile iku ipk ira gle mga sga iro "
    "ita jpn jav jrb jpr kbd kab kac kal kam kan kau kaa kar kas kaw kaz kha khm khi kho kik kmb kin "
    "kir kom kon kok kor kos kpe kro kua kum kur kru kut kua lad lah lam lao lat lav ltz lez lim lim "
    "lim lin lit nds nds loz lub lua lui smj lun luo lus ltz mac/mkd mad mag mai mak mlg may/msa mal "
    "mlt mnc mdr man mni mno glv mao/mri mar chm mah mwr mas myn men mic min mis moh mol mkh lol mon "
    "mos mul mun nah nau nav nav nde nbl ndo nap nep new nia nic ssa niu non nai sme nde nor nob nno "
    "nub nym nya nyn nno nyo nzi oci oji chu chu chu ori orm osa oss oss oto pal pau pli pam pag pan "
    "pap paa per/fas peo phi phn pon pol por pra oci pro pus que roh raj rap rar qaa/qtz roa rum/ron "
    "rom run rus sal sam smi smo sad sag san sat srd sas nds sco gla sel sem scc/srp srr shn sna iii "
    "sid sgn bla snd sin sit sio sms den sla slo/slk slv sog som son snk wen nso sot sai sma nbl spa "
    "suk sux sun sus swa ssw swe syr tgl tah tai tgk tmh tam tat tel ter tet tha tib/bod tig tir tem "
    "tiv tli tpi tkl tog ton tsi tso tsn tum tup tur ota tuk tvl tyv twi uga uig ukr umb und urd uzb "
    "vai ven vie vol vot wak wal wln war was wel/cym wol xho sah yao yap yid yor ypk znd zap zen zha "
    "zul zun";
  std::istringstream in(expected);
  std::string key;
  while (in >> key) {
    const std::string code = key.substr(0, 3);
    const std::optional<TLanguageRow> found = FindLanguage(code);
    ASSERT_TRUE(found) << code;
    if (key.size() > 3) {
      const std::optional<TLanguageRow> other = FindLanguage(key.substr(4));
      ASSERT_TRUE(other) << key;
      EXPECT_EQ(other->Name, found->Name) << key;
      EXPECT_EQ(other->Code, found->Code) << key;
    }
  }
}

}  // namespace
