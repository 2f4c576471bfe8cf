// The ISO 639-2 index of English language names: one row per name variant, in the index's
// order (alphabetical by name, with the index's own few exceptions). Names are UTF-8.
#include "matroska/LanguageTable.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace ambrel {

namespace {

constexpr std::size_t kRowCount = 480;

// The rows as written; only the compile-time tables below read them, so the program holds
// no pointers into them (pointers would be relocated, page by page, at every start).
consteval std::array<TLanguageRow, kRowCount> SourceRows() {
  return {{
    {"Abkhazian", "abk", ""},
    {"Achinese", "ace", ""},
    {"Acoli", "ach", ""},
    {"Adangme", "ada", ""},
    {"Afar", "aar", ""},
    {"Afrihili", "afh", ""},
    {"Afrikaans", "afr", ""},
    {"Afro-Asiatic (Other)", "afa", ""},
    {"Akan", "aka", ""},
    {"Akkadian", "akk", ""},
    {"Albanian", "alb", "sqi"},
    {"Aleut", "ale", ""},
    {"Algonquian languages", "alg", ""},
    {"Altaic (Other)", "tut", ""},
    {"Amharic", "amh", ""},
    {"Apache languages", "apa", ""},
    {"Arabic", "ara", ""},
    {"Aragonese", "arg", ""},
    {"Aramaic", "arc", ""},
    {"Arapaho", "arp", ""},
    {"Araucanian", "arn", ""},
    {"Arawak", "arw", ""},
    {"Armenian", "arm", "hye"},
    {"Artificial (Other)", "art", ""},
    {"Assamese", "asm", ""},
    {"Asturian; Bable", "ast", ""},
    {"Athapascan languages", "ath", ""},
    {"Australian languages", "aus", ""},
    {"Austronesian (Other)", "map", ""},
    {"Avaric", "ava", ""},
    {"Avestan", "ave", ""},
    {"Awadhi", "awa", ""},
    {"Aymara", "aym", ""},
    {"Azerbaijani", "aze", ""},
    {"Bable; Asturian", "ast", ""},
    {"Balinese", "ban", ""},
    {"Baltic (Other)", "bat", ""},
    {"Baluchi", "bal", ""},
    {"Bambara", "bam", ""},
    {"Bamileke languages", "bai", ""},
    {"Banda", "bad", ""},
    {"Bantu (Other)", "bnt", ""},
    {"Basa", "bas", ""},
    {"Bashkir", "bak", ""},
    {"Basque", "baq", "eus"},
    {"Batak (Indonesia)", "btk", ""},
    {"Beja", "bej", ""},
    {"Belarusian", "bel", ""},
    {"Bemba", "bem", ""},
    {"Bengali", "ben", ""},
    {"Berber (Other)", "ber", ""},
    {"Bhojpuri", "bho", ""},
    {"Bihari", "bih", ""},
    {"Bikol", "bik", ""},
    {"Bini", "bin", ""},
    {"Bislama", "bis", ""},
    {"Bokmål, Norwegian; Norwegian Bokmål", "nob", ""},
    {"Bosnian", "bos", ""},
    {"Braj", "bra", ""},
    {"Breton", "bre", ""},
    {"Buginese", "bug", ""},
    {"Bulgarian", "bul", ""},
    {"Buriat", "bua", ""},
    {"Burmese", "bur", "mya"},
    {"Caddo", "cad", ""},
    {"Carib", "car", ""},
    {"Castilian; Spanish", "spa", ""},
    {"Catalan", "cat", ""},
    {"Caucasian (Other)", "cau", ""},
    {"Cebuano", "ceb", ""},
    {"Celtic (Other)", "cel", ""},
    {"Central American Indian (Other)", "cai", ""},
    {"Chagatai", "chg", ""},
    {"Chamic languages", "cmc", ""},
    {"Chamorro", "cha", ""},
    {"Chechen", "che", ""},
    {"Cherokee", "chr", ""},
    {"Chewa; Chichewa; Nyanja", "nya", ""},
    {"Cheyenne", "chy", ""},
    {"Chibcha", "chb", ""},
    {"Chichewa; Chewa; Nyanja", "nya", ""},
    {"Chinese", "chi", "zho"},
    {"Chinook jargon", "chn", ""},
    {"Chipewyan", "chp", ""},
    {"Choctaw", "cho", ""},
    {"Chuang; Zhuang", "zha", ""},
    {"Church Slavic; Slavonic; Church Slavonic; Old Bulgarian; Old Church Slavonic", "chu", ""},
    {"Church Slavonic; Old Bulgarian; Church Slavic;", "chu", ""},
    {"Chuukese", "chk", ""},
    {"Chuvash", "chv", ""},
    {"Coptic", "cop", ""},
    {"Cornish", "cor", ""},
    {"Corsican", "cos", ""},
    {"Cree", "cre", ""},
    {"Creek", "mus", ""},
    {"Creoles and pidgins (Other)", "crp", ""},
    {"Creoles and pidgins, English-based (Other)", "cpe", ""},
    {"Creoles and pidgins, French-based (Other)", "cpf", ""},
    {"Creoles and pidgins, Portuguese-based (Other)", "cpp", ""},
    {"Croatian", "scr", "hrv"},
    {"Cushitic (Other)", "cus", ""},
    {"Czech", "cze", "ces"},
    {"Dakota", "dak", ""},
    {"Danish", "dan", ""},
    {"Dargwa", "dar", ""},
    {"Dayak", "day", ""},
    {"Delaware", "del", ""},
    {"Dinka", "din", ""},
    {"Divehi", "div", ""},
    {"Dogri", "doi", ""},
    {"Dogrib", "dgr", ""},
    {"Dravidian (Other)", "dra", ""},
    {"Duala", "dua", ""},
    {"Dutch; Flemish", "dut", "nld"},
    {"Dutch, Middle (ca. 1050-1350)", "dum", ""},
    {"Dyula", "dyu", ""},
    {"Dzongkha", "dzo", ""},
    {"Efik", "efi", ""},
    {"Egyptian (Ancient)", "egy", ""},
    {"Ekajuk", "eka", ""},
    {"Elamite", "elx", ""},
    {"English", "eng", ""},
    {"English, Middle (1100-1500)", "enm", ""},
    {"English, Old (ca.450-1100)", "ang", ""},
    {"Esperanto", "epo", ""},
    {"Estonian", "est", ""},
    {"Ewe", "ewe", ""},
    {"Ewondo", "ewo", ""},
    {"Fang", "fan", ""},
    {"Fanti", "fat", ""},
    {"Faroese", "fao", ""},
    {"Fijian", "fij", ""},
    {"Finnish", "fin", ""},
    {"Finno-Ugrian (Other)", "fiu", ""},
    {"Flemish; Dutch", "dut", "nld"},
    {"Fon", "fon", ""},
    {"French", "fre", "fra"},
    {"French, Middle (ca.1400-1600)", "frm", ""},
    {"French, Old (842-ca.1400)", "fro", ""},
    {"Frisian", "fry", ""},
    {"Friulian", "fur", ""},
    {"Fulah", "ful", ""},
    {"Ga", "gaa", ""},
    {"Gaelic; Scottish Gaelic", "gla", ""},
    {"Gallegan", "glg", ""},
    {"Ganda", "lug", ""},
    {"Gayo", "gay", ""},
    {"Gbaya", "gba", ""},
    {"Geez", "gez", ""},
    {"Georgian", "geo", "kat"},
    {"German", "ger", "deu"},
    {"German, Low; Saxon, Low; Low German; Low Saxon", "nds", ""},
    {"German, Middle High (ca.1050-1500)", "gmh", ""},
    {"German, Old High (ca.750-1050)", "goh", ""},
    {"Germanic (Other)", "gem", ""},
    {"Gikuyu; Kikuyu", "kik", ""},
    {"Gilbertese", "gil", ""},
    {"Gondi", "gon", ""},
    {"Gorontalo", "gor", ""},
    {"Gothic", "got", ""},
    {"Grebo", "grb", ""},
    {"Greek, Ancient (to 1453)", "grc", ""},
    {"Greek, Modern (1453-)", "gre", "ell"},
    {"Greenlandic; Kalaallisut", "kal", ""},
    {"Guarani", "grn", ""},
    {"Gujarati", "guj", ""},
    {"Gwich´in", "gwi", ""},
    {"Haida", "hai", ""},
    {"Hausa", "hau", ""},
    {"Hawaiian", "haw", ""},
    {"Hebrew", "heb", ""},
    {"Herero", "her", ""},
    {"Hiligaynon", "hil", ""},
    {"Himachali", "him", ""},
    {"Hindi", "hin", ""},
    {"Hiri Motu", "hmo", ""},
    {"Hittite", "hit", ""},
    {"Hmong", "hmn", ""},
    {"Hungarian", "hun", ""},
    {"Hupa", "hup", ""},
    {"Iban", "iba", ""},
    {"Icelandic", "ice", "isl"},
    {"Ido", "ido", ""},
    {"Igbo", "ibo", ""},
    {"Ijo", "ijo", ""},
    {"Iloko", "ilo", ""},
    {"Inari Sami", "smn", ""},
    {"Indic (Other)", "inc", ""},
    {"Indo-European (Other)", "ine", ""},
    {"Indonesian", "ind", ""},
    {"Ingush", "inh", ""},
    {"Interlingua (International Auxiliary Language Association)", "ina", ""},
    {"Interlingue", "ile", ""},
    {"Inuktitut", "iku", ""},
    {"Inupiaq", "ipk", ""},
    {"Iranian (Other)", "ira", ""},
    {"Irish", "gle", ""},
    {"Irish, Middle (900-1200)", "mga", ""},
    {"Irish, Old (to 900)", "sga", ""},
    {"Iroquoian languages", "iro", ""},
    {"Italian", "ita", ""},
    {"Japanese", "jpn", ""},
    {"Javanese", "jav", ""},
    {"Judeo-Arabic", "jrb", ""},
    {"Judeo-Persian", "jpr", ""},
    {"Kabardian", "kbd", ""},
    {"Kabyle", "kab", ""},
    {"Kachin", "kac", ""},
    {"Kalaallisut; Greenlandic", "kal", ""},
    {"Kamba", "kam", ""},
    {"Kannada", "kan", ""},
    {"Kanuri", "kau", ""},
    {"Kara-Kalpak", "kaa", ""},
    {"Karen", "kar", ""},
    {"Kashmiri", "kas", ""},
    {"Kawi", "kaw", ""},
    {"Kazakh", "kaz", ""},
    {"Khasi", "kha", ""},
    {"Khmer", "khm", ""},
    {"Khoisan (Other)", "khi", ""},
    {"Khotanese", "kho", ""},
    {"Kikuyu; Gikuyu", "kik", ""},
    {"Kimbundu", "kmb", ""},
    {"Kinyarwanda", "kin", ""},
    {"Kirghiz", "kir", ""},
    {"Komi", "kom", ""},
    {"Kongo", "kon", ""},
    {"Konkani", "kok", ""},
    {"Korean", "kor", ""},
    {"Kosraean", "kos", ""},
    {"Kpelle", "kpe", ""},
    {"Kru", "kro", ""},
    {"Kuanyama; Kwanyama", "kua", ""},
    {"Kumyk", "kum", ""},
    {"Kurdish", "kur", ""},
    {"Kurukh", "kru", ""},
    {"Kutenai", "kut", ""},
    {"Kwanyama, Kuanyama", "kua", ""},
    {"Ladino", "lad", ""},
    {"Lahnda", "lah", ""},
    {"Lamba", "lam", ""},
    {"Lao", "lao", ""},
    {"Latin", "lat", ""},
    {"Latvian", "lav", ""},
    {"Letzeburgesch; Luxembourgish", "ltz", ""},
    {"Lezghian", "lez", ""},
    {"Limburgan; Limburger; Limburgish", "lim", ""},
    {"Limburger; Limburgan; Limburgish;", "lim", ""},
    {"Limburgish; Limburger; Limburgan", "lim", ""},
    {"Lingala", "lin", ""},
    {"Lithuanian", "lit", ""},
    {"Low German; Low Saxon; German, Low; Saxon, Low", "nds", ""},
    {"Low Saxon; Low German; Saxon, Low; German, Low", "nds", ""},
    {"Lozi", "loz", ""},
    {"Luba-Katanga", "lub", ""},
    {"Luba-Lulua", "lua", ""},
    {"Luiseno", "lui", ""},
    {"Lule Sami", "smj", ""},
    {"Lunda", "lun", ""},
    {"Luo (Kenya and Tanzania)", "luo", ""},
    {"Lushai", "lus", ""},
    {"Luxembourgish; Letzeburgesch", "ltz", ""},
    {"Macedonian", "mac", "mkd"},
    {"Madurese", "mad", ""},
    {"Magahi", "mag", ""},
    {"Maithili", "mai", ""},
    {"Makasar", "mak", ""},
    {"Malagasy", "mlg", ""},
    {"Malay", "may", "msa"},
    {"Malayalam", "mal", ""},
    {"Maltese", "mlt", ""},
    {"Manchu", "mnc", ""},
    {"Mandar", "mdr", ""},
    {"Mandingo", "man", ""},
    {"Manipuri", "mni", ""},
    {"Manobo languages", "mno", ""},
    {"Manx", "glv", ""},
    {"Maori", "mao", "mri"},
    {"Marathi", "mar", ""},
    {"Mari", "chm", ""},
    {"Marshallese", "mah", ""},
    {"Marwari", "mwr", ""},
    {"Masai", "mas", ""},
    {"Mayan languages", "myn", ""},
    {"Mende", "men", ""},
    {"Micmac", "mic", ""},
    {"Minangkabau", "min", ""},
    {"Miscellaneous languages", "mis", ""},
    {"Mohawk", "moh", ""},
    {"Moldavian", "mol", ""},
    {"Mon-Khmer (Other)", "mkh", ""},
    {"Mongo", "lol", ""},
    {"Mongolian", "mon", ""},
    {"Mossi", "mos", ""},
    {"Multiple languages", "mul", ""},
    {"Munda languages", "mun", ""},
    {"Nahuatl", "nah", ""},
    {"Nauru", "nau", ""},
    {"Navaho, Navajo", "nav", ""},
    {"Navajo; Navaho", "nav", ""},
    {"Ndebele, North", "nde", ""},
    {"Ndebele, South", "nbl", ""},
    {"Ndonga", "ndo", ""},
    {"Neapolitan", "nap", ""},
    {"Nepali", "nep", ""},
    {"Newari", "new", ""},
    {"Nias", "nia", ""},
    {"Niger-Kordofanian (Other)", "nic", ""},
    {"Nilo-Saharan (Other)", "ssa", ""},
    {"Niuean", "niu", ""},
    {"Norse, Old", "non", ""},
    {"North American Indian (Other)", "nai", ""},
    {"Northern Sami", "sme", ""},
    {"North Ndebele", "nde", ""},
    {"Norwegian", "nor", ""},
    {"Norwegian Bokmål; Bokmål, Norwegian", "nob", ""},
    {"Norwegian Nynorsk; Nynorsk, Norwegian", "nno", ""},
    {"Nubian languages", "nub", ""},
    {"Nyamwezi", "nym", ""},
    {"Nyanja; Chichewa; Chewa", "nya", ""},
    {"Nyankole", "nyn", ""},
    {"Nynorsk, Norwegian; Norwegian Nynorsk", "nno", ""},
    {"Nyoro", "nyo", ""},
    {"Nzima", "nzi", ""},
    {"Occitan (post 1500),; Provençal", "oci", ""},
    {"Ojibwa", "oji", ""},
    {"Old Bulgarian; Old Slavonic; Church Slavonic;", "chu", ""},
    {"Old Church Slavonic; Church Slavonic; Old Slavonic;", "chu", ""},
    {"Old Slavonic; Church Slavonic; Old Bulgarian;", "chu", ""},
    {"Oriya", "ori", ""},
    {"Oromo", "orm", ""},
    {"Osage", "osa", ""},
    {"Ossetian; Ossetic", "oss", ""},
    {"Ossetic; Ossetian", "oss", ""},
    {"Otomian languages", "oto", ""},
    {"Pahlavi", "pal", ""},
    {"Palauan", "pau", ""},
    {"Pali", "pli", ""},
    {"Pampanga", "pam", ""},
    {"Pangasinan", "pag", ""},
    {"Panjabi", "pan", ""},
    {"Papiamento", "pap", ""},
    {"Papuan (Other)", "paa", ""},
    {"Persian", "per", "fas"},
    {"Persian, Old (ca.600-400 B.C.)", "peo", ""},
    {"Philippine (Other)", "phi", ""},
    {"Phoenician", "phn", ""},
    {"Pohnpeian", "pon", ""},
    {"Polish", "pol", ""},
    {"Portuguese", "por", ""},
    {"Prakrit languages", "pra", ""},
    {"Provençal; Occitan (post 1500)", "oci", ""},
    {"Provençal, Old (to 1500)", "pro", ""},
    {"Pushto", "pus", ""},
    {"Quechua", "que", ""},
    {"Raeto-Romance", "roh", ""},
    {"Rajasthani", "raj", ""},
    {"Rapanui", "rap", ""},
    {"Rarotongan", "rar", ""},
    {"Reserved for local use", "qaa", "qtz"},
    {"Romance (Other)", "roa", ""},
    {"Romanian", "rum", "ron"},
    {"Romany", "rom", ""},
    {"Rundi", "run", ""},
    {"Russian", "rus", ""},
    {"Salishan languages", "sal", ""},
    {"Samaritan Aramaic", "sam", ""},
    {"Sami languages (Other)", "smi", ""},
    {"Samoan", "smo", ""},
    {"Sandawe", "sad", ""},
    {"Sango", "sag", ""},
    {"Sanskrit", "san", ""},
    {"Santali", "sat", ""},
    {"Sardinian", "srd", ""},
    {"Sasak", "sas", ""},
    {"Saxon, Low; German, Low; Low Saxon; Low German", "nds", ""},
    {"Scots", "sco", ""},
    {"Scottish Gaelic; Gaelic", "gla", ""},
    {"Selkup", "sel", ""},
    {"Semitic (Other)", "sem", ""},
    {"Serbian", "scc", "srp"},
    {"Serer", "srr", ""},
    {"Shan", "shn", ""},
    {"Shona", "sna", ""},
    {"Sichuan Yi", "iii", ""},
    {"Sidamo", "sid", ""},
    {"Sign languages", "sgn", ""},
    {"Siksika", "bla", ""},
    {"Sindhi", "snd", ""},
    {"Sinhalese", "sin", ""},
    {"Sino-Tibetan (Other)", "sit", ""},
    {"Siouan languages", "sio", ""},
    {"Skolt Sami", "sms", ""},
    {"Slave (Athapascan)", "den", ""},
    {"Slavic (Other)", "sla", ""},
    {"Slovak", "slo", "slk"},
    {"Slovenian", "slv", ""},
    {"Sogdian", "sog", ""},
    {"Somali", "som", ""},
    {"Songhai", "son", ""},
    {"Soninke", "snk", ""},
    {"Sorbian languages", "wen", ""},
    {"Sotho, Northern", "nso", ""},
    {"Sotho, Southern", "sot", ""},
    {"South American Indian (Other)", "sai", ""},
    {"Southern Sami", "sma", ""},
    {"South Ndebele", "nbl", ""},
    {"Spanish; Castilian", "spa", ""},
    {"Sukuma", "suk", ""},
    {"Sumerian", "sux", ""},
    {"Sundanese", "sun", ""},
    {"Susu", "sus", ""},
    {"Swahili", "swa", ""},
    {"Swati", "ssw", ""},
    {"Swedish", "swe", ""},
    {"Syriac", "syr", ""},
    {"Tagalog", "tgl", ""},
    {"Tahitian", "tah", ""},
    {"Tai (Other)", "tai", ""},
    {"Tajik", "tgk", ""},
    {"Tamashek", "tmh", ""},
    {"Tamil", "tam", ""},
    {"Tatar", "tat", ""},
    {"Telugu", "tel", ""},
    {"Tereno", "ter", ""},
    {"Tetum", "tet", ""},
    {"Thai", "tha", ""},
    {"Tibetan", "tib", "bod"},
    {"Tigre", "tig", ""},
    {"Tigrinya", "tir", ""},
    {"Timne", "tem", ""},
    {"Tiv", "tiv", ""},
    {"Tlingit", "tli", ""},
    {"Tok Pisin", "tpi", ""},
    {"Tokelau", "tkl", ""},
    {"Tonga (Nyasa)", "tog", ""},
    {"Tonga (Tonga Islands)", "ton", ""},
    {"Tsimshian", "tsi", ""},
    {"Tsonga", "tso", ""},
    {"Tswana", "tsn", ""},
    {"Tumbuka", "tum", ""},
    {"Tupi languages", "tup", ""},
    {"Turkish", "tur", ""},
    {"Turkish, Ottoman (1500-1928)", "ota", ""},
    {"Turkmen", "tuk", ""},
    {"Tuvalu", "tvl", ""},
    {"Tuvinian", "tyv", ""},
    {"Twi", "twi", ""},
    {"Ugaritic", "uga", ""},
    {"Uighur", "uig", ""},
    {"Ukrainian", "ukr", ""},
    {"Umbundu", "umb", ""},
    {"Undetermined", "und", ""},
    {"Urdu", "urd", ""},
    {"Uzbek", "uzb", ""},
    {"Vai", "vai", ""},
    {"Venda", "ven", ""},
    {"Vietnamese", "vie", ""},
    {"Volapük", "vol", ""},
    {"Votic", "vot", ""},
    {"Wakashan languages", "wak", ""},
    {"Walamo", "wal", ""},
    {"Walloon", "wln", ""},
    {"Waray", "war", ""},
    {"Washo", "was", ""},
    {"Welsh", "wel", "cym"},
    {"Wolof", "wol", ""},
    {"Xhosa", "xho", ""},
    {"Yakut", "sah", ""},
    {"Yao", "yao", ""},
    {"Yapese", "yap", ""},
    {"Yiddish", "yid", ""},
    {"Yoruba", "yor", ""},
    {"Yupik languages", "ypk", ""},
    {"Zande", "znd", ""},
    {"Zapotec", "zap", ""},
    {"Zenaga", "zen", ""},
    {"Zhuang; Chuang", "zha", ""},
    {"Zulu", "zul", ""},
    {"Zuni", "zun", ""},
}};
}

// The rows as the program holds them: the names in one block of bytes, each row its
// name's place in it and its codes inline.
struct TPackedRow {
  uint16_t NameOffset = 0;
  uint8_t NameSize = 0;
  char Code[3] = {};
  char Code2[3] = {};  // all zero where there is no terminologic code
};

constexpr std::size_t kNameBytes = [] {
  std::size_t size = 0;
  for (const TLanguageRow& row : SourceRows()) size += row.Name.size();
  return size;
}();

constexpr std::array<char, kNameBytes> kNames = [] {
  std::array<char, kNameBytes> names{};
  std::size_t at = 0;
  for (const TLanguageRow& row : SourceRows())
    for (char c : row.Name) names[at++] = c;
  return names;
}();

constexpr void PutCode(char (&to)[3], std::string_view code) {
  for (std::size_t i = 0; i < code.size() && i < 3; ++i) to[i] = code[i];
}

constexpr std::array<TPackedRow, kRowCount> kRows = [] {
  std::array<TPackedRow, kRowCount> rows{};
  std::size_t at = 0;
  const auto source = SourceRows();
  for (std::size_t i = 0; i < kRowCount; ++i) {
    if (source[i].Name.size() > 255 || at > 65535 || source[i].Code.size() != 3 ||
        (source[i].Code2.size() != 0 && source[i].Code2.size() != 3))
      throw "a row does not fit its packed form";  // stops the build
    rows[i].NameOffset = static_cast<uint16_t>(at);
    rows[i].NameSize = static_cast<uint8_t>(source[i].Name.size());
    PutCode(rows[i].Code, source[i].Code);
    PutCode(rows[i].Code2, source[i].Code2);
    at += source[i].Name.size();
  }
  return rows;
}();

std::string_view CodeView(const char (&code)[3]) { return std::string_view(code, code[0] == '\0' ? 0 : 3); }

TLanguageRow Unpack(const TPackedRow& row) {
  return {std::string_view(kNames.data() + row.NameOffset, row.NameSize), CodeView(row.Code), CodeView(row.Code2)};
}

// Every code (bibliographic or terminologic) with the row it names, sorted by code and,
// for a code on several rows, by row: the first entry of a code is its first row. Built at
// compile time, so a lookup costs a binary search and nothing at start-up.
struct TCodeKey {
  char Code[3] = {};
  uint16_t Row = 0;
};

constexpr std::size_t kCodeCount = [] {
  std::size_t count = 0;
  for (const TPackedRow& row : kRows) count += row.Code2[0] == '\0' ? 1 : 2;
  return count;
}();

constexpr int CompareCodes(const char (&a)[3], std::string_view b) {
  for (std::size_t i = 0; i < 3; ++i) {
    if (i == b.size()) return 1;
    if (a[i] != b[i]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[i]) ? -1 : 1;
  }
  return b.size() > 3 ? -1 : 0;
}

constexpr bool KeyBefore(const TCodeKey& a, const TCodeKey& b) {
  const int order = CompareCodes(a.Code, std::string_view(b.Code, 3));
  return order < 0 || (order == 0 && a.Row < b.Row);
}

constexpr std::array<TCodeKey, kCodeCount> kByCode = [] {
  std::array<TCodeKey, kCodeCount> keys{};
  std::size_t count = 0;
  for (std::size_t i = 0; i < kRows.size(); ++i) {
    TCodeKey key;
    key.Row = static_cast<uint16_t>(i);
    for (int k = 0; k < 3; ++k) key.Code[k] = kRows[i].Code[k];
    keys[count++] = key;
    if (kRows[i].Code2[0] != '\0') {
      for (int k = 0; k < 3; ++k) key.Code[k] = kRows[i].Code2[k];
      keys[count++] = key;
    }
  }
  for (std::size_t i = 1; i < count; ++i) {  // insertion sort: constexpr and small
    const TCodeKey key = keys[i];
    std::size_t j = i;
    for (; j > 0 && KeyBefore(key, keys[j - 1]); --j) keys[j] = keys[j - 1];
    keys[j] = key;
  }
  return keys;
}();

// Checked as the program is built: the index is ordered by code and then by row, so that a
// binary search finds a code's first row.
static_assert([] {
  for (std::size_t i = 1; i < kCodeCount; ++i)
    if (!KeyBefore(kByCode[i - 1], kByCode[i])) return false;
  return true;
}());

}  // namespace

std::optional<TLanguageRow> FindLanguage(std::string_view Code) {
  const auto* found = std::lower_bound(kByCode.begin(), kByCode.end(), Code,
                                       [](const TCodeKey& key, std::string_view code) { return CompareCodes(key.Code, code) < 0; });
  if (found == kByCode.end() || CompareCodes(found->Code, Code) != 0) return std::nullopt;
  return Unpack(kRows[found->Row]);
}

}  // namespace ambrel
