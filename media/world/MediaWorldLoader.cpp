// Reads a scripted media world from JSON into its model, refusing anything the format
// does not allow.
#include <cerrno>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "media/BasicMediaFramework.h"
#include "media/world/MediaWorld.h"
#include "media/world/MediaWorldModel.h"
#include "base/Hex.h"
#include "base/UnicodeCase.h"
#include "base/Utf16.h"
#include "base/Utf8Path.h"
#include "io/DataFile.h"

namespace ambrel::media {

std::unique_ptr<IMediaFramework> MakeWorldFramework(std::shared_ptr<const world::Model> model);

namespace world {

namespace {

using Json = nlohmann::ordered_json;

// A JSON string may hold a lone surrogate escape, which the JSON library refuses. Before
// parsing, every lone surrogate escape (and every U+FDD0, to keep the marking unambiguous)
// is rewritten as U+FDD0 followed by the unit's four upper-case hexadecimal digits;
// ToWide turns the marking back into the unit.
constexpr char16_t kMark = 0xFDD0;

bool ReadEscape(const std::string& s, size_t at, unsigned& unit) {
  if (at + 6 > s.size() || s[at] != '\\' || s[at + 1] != 'u') return false;
  unit = 0;
  for (size_t k = 2; k < 6; ++k) {
    const int v = HexDigitValue(static_cast<unsigned char>(s[at + k]));
    if (v < 0) return false;
    unit = unit * 16 + static_cast<unsigned>(v);
  }
  return true;
}

std::string MarkUnit(unsigned unit) {
  std::string out = "\\uFDD0";
  AppendHex(out, unit, 4);
  return out;
}

std::string MarkLoneSurrogates(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  bool inString = false;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (!inString) {
      if (c == '"') inString = true;
      out += c;
      continue;
    }
    if (c == '"') {
      inString = false;
      out += c;
    } else if (c == '\\') {
      unsigned unit = 0;
      if (!ReadEscape(s, i, unit)) {
        out += c;
        if (i + 1 < s.size()) out += s[++i];
        continue;
      }
      unsigned low = 0;
      if (IsHighSurrogate(unit) && ReadEscape(s, i + 6, low) && IsLowSurrogate(low)) {
        out.append(s, i, 12);
        i += 11;
      } else if (IsSurrogate(unit) || unit == kMark) {
        out += MarkUnit(unit);
        i += 5;
      } else {
        out.append(s, i, 6);
        i += 5;
      }
    } else if (s.compare(i, 3, "\xEF\xB7\x90") == 0) {
      out += MarkUnit(kMark);
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

std::u16string ToWide(const std::string& utf8) {
  const std::u16string raw = Utf8ToWide(utf8);
  std::u16string out;
  out.reserve(raw.size());
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == kMark && i + 4 < raw.size()) {
      unsigned unit = 0;
      bool ok = true;
      for (size_t k = 1; k <= 4 && ok; ++k) {
        const char16_t d = raw[i + k];
        const int v = HexDigitValue(d);
        ok = v >= 0;
        unit = unit * 16 + static_cast<unsigned>(v < 0 ? 0 : v);
      }
      if (ok) {
        out += static_cast<char16_t>(unit);
        i += 4;
        continue;
      }
    }
    out += raw[i];
  }
  return out;
}

std::string Quote(const std::u16string& text) { return "\"" + WideToUtf8(text) + "\""; }

class Refused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Where a value stands, for messages: "filters[2] (id "dec"): key "merit"".
class Where {
 public:
  Where(std::string prefix, std::string key) : text_(std::move(prefix) + "key \"" + std::move(key) + "\"") {}
  [[noreturn]] void Fail(const std::string& why) const { throw Refused(text_ + ": " + why); }

 private:
  std::string text_;
};

bool ParseIntegerText(const std::string& text, int64_t& value) {
  size_t i = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) i = 1;
  unsigned base = 10;
  if (text.size() >= i + 2 && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= text.size()) return false;
  unsigned __int128 magnitude = 0;
  for (; i < text.size(); ++i) {
    const int v = HexDigitValue(static_cast<unsigned char>(text[i]));
    if (v < 0 || static_cast<unsigned>(v) >= base) return false;
    magnitude = magnitude * base + static_cast<unsigned>(v);
    if (magnitude > (static_cast<unsigned __int128>(1) << 64)) return false;
  }
  const unsigned __int128 limit = static_cast<unsigned __int128>(INT64_MAX) + (negative ? 1 : 0);
  if (magnitude > limit) return false;
  value = negative ? static_cast<int64_t>(-static_cast<__int128>(magnitude)) : static_cast<int64_t>(magnitude);
  return true;
}

int64_t Integer(const Json& v, const Where& w) {
  if (v.is_number_integer()) {
    if (v.is_number_unsigned() && v.get<uint64_t>() > static_cast<uint64_t>(INT64_MAX)) w.Fail("integer out of range");
    return v.get<int64_t>();
  }
  if (v.is_string()) {
    int64_t value = 0;
    if (ParseIntegerText(v.get<std::string>(), value)) return value;
    w.Fail("not an integer text");
  }
  w.Fail("not an integer");
}

bool Flag(const Json& v, const Where& w) {
  if (v.is_null()) return false;
  if (!v.is_boolean()) w.Fail("not true or false");
  return v.get<bool>();
}

std::u16string Text(const Json& v, const Where& w) {
  if (!v.is_string()) w.Fail("not a text");
  return ToWide(v.get<std::string>());
}

HRESULT HResult(const Json& v, const Where& w) {
  if (v.is_string()) {
    HRESULT hr = 0;
    if (HResultFromName(v.get<std::string>(), hr)) return hr;
  }
  if (!v.is_number_integer() && !v.is_string()) w.Fail("not an HRESULT");
  return static_cast<HRESULT>(static_cast<uint32_t>(static_cast<uint64_t>(Integer(v, w))));
}

bool IsGuidText(const std::u16string& text, GUID& guid) { return SUCCEEDED(CLSIDFromString(text, guid)); }

GUID GuidText(const Json& v, const Where& w) {
  GUID g;
  if (!IsGuidText(Text(v, w), g)) w.Fail("not a GUID text");
  return g;
}

Side MakeSide(const std::u16string& text) {
  Side s;
  s.text = text;
  GUID g;
  s.wildcard = text == u"*" || (IsGuidText(text, g) && g == GUID_NULL);
  return s;
}

MediaType Type(const Json& v, const Where& w) {
  if (v.is_string()) {
    const std::u16string text = Text(v, w);
    const size_t slash = text.find(u'/');
    if (slash == std::u16string::npos) w.Fail("media type without '/'");
    return {MakeSide(text.substr(0, slash)), MakeSide(text.substr(slash + 1))};
  }
  if (v.is_array() && v.size() == 2 && v[0].is_string() && v[1].is_string()) {
    return {MakeSide(Text(v[0], w)), MakeSide(Text(v[1], w))};
  }
  w.Fail("not a media type");
}

std::vector<MediaType> Types(const Json& v, const Where& w) {
  if (!v.is_array()) w.Fail("not an array of media types");
  std::vector<MediaType> out;
  for (const Json& t : v) out.push_back(Type(t, w));
  return out;
}

Version ParseVersion(const Json& v, const Where& w) {
  const std::u16string text = Text(v, w);
  Version ver;
  size_t part = 0;
  size_t digits = 0;
  uint32_t value = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == u'.') {
      if (digits == 0 || part >= 4) w.Fail("not a version a.b.c.d");
      ver.part[part++] = static_cast<uint16_t>(value);
      digits = 0;
      value = 0;
      continue;
    }
    if (text[i] < u'0' || text[i] > u'9') w.Fail("not a version a.b.c.d");
    value = value * 10 + static_cast<uint32_t>(text[i] - u'0');
    if (value > 65535) w.Fail("version part above 65535");
    ++digits;
  }
  if (part != 4) w.Fail("not a version a.b.c.d");
  return ver;
}

template <class T>
std::optional<T> Optional(const Json& v, T (*read)(const Json&, const Where&), const Where& w) {
  if (v.is_null()) return std::nullopt;
  return read(v, w);
}

const Json& Object(const Json& v, const Where& w) {
  if (!v.is_object()) w.Fail("not an object");
  return v;
}

const Json& Array(const Json& v, const Where& w) {
  if (!v.is_array()) w.Fail("not an array");
  return v;
}

template <class T>
T Choice(const Json& v, const Where& w, std::initializer_list<std::pair<const char*, T>> choices) {
  if (v.is_string()) {
    for (const auto& [name, value] : choices) {
      if (v.get<std::string>() == name) return value;
    }
  }
  w.Fail("not one of the allowed words");
}

// Walks an object's keys through a table of handlers; unknown keys are refused.
using Handler = std::function<void(const Json&, const Where&)>;
void Keys(const Json& object, const std::string& prefix, const std::map<std::string, Handler>& handlers,
          const std::set<std::string>& ignored = {}) {
  for (auto it = object.begin(); it != object.end(); ++it) {
    const Where w(prefix, it.key());
    if (ignored.count(it.key())) continue;
    const auto h = handlers.find(it.key());
    if (h == handlers.end()) w.Fail("unknown key");
    h->second(it.value(), w);
  }
}

Pin ReadPin(const Json& v, const std::string& prefix) {
  Pin pin;
  bool haveDir = false;
  Keys(Object(v, Where(prefix, "pins")), prefix,
       {{"name", [&](const Json& x, const Where& w) { pin.name = x.is_null() ? u"" : Text(x, w); }},
        {"dir",
         [&](const Json& x, const Where& w) {
           pin.dir = Choice<PIN_DIRECTION>(x, w, {{"in", PINDIR_INPUT}, {"out", PINDIR_OUTPUT}});
           haveDir = true;
         }},
        {"types", [&](const Json& x, const Where& w) { pin.types = Types(x, w); }},
        {"on_connect", [&](const Json& x, const Where& w) { pin.onConnect = Flag(x, w); }},
        {"connect_hr", [&](const Json& x, const Where& w) { pin.connectHr = Optional<HRESULT>(x, HResult, w); }},
        {"query_fails", [&](const Json& x, const Where& w) { pin.queryFails = Flag(x, w); }},
        {"dir_fails", [&](const Json& x, const Where& w) { pin.dirFails = Flag(x, w); }},
        {"enum_types_hr", [&](const Json& x, const Where& w) { pin.enumTypesHr = HResult(x, w); }}});
  if (!haveDir) Where(prefix, "dir").Fail("missing");
  if (SUCCEEDED(pin.enumTypesHr)) pin.enumTypesHr = S_OK;
  return pin;
}

std::string EntryPrefix(size_t index, const std::optional<std::u16string>& id) {
  std::string p = "filters[" + std::to_string(index) + "]";
  if (id) p += " (id " + Quote(*id) + ")";
  return p + ": ";
}

Filter ReadFilter(const Json& v, size_t index) {
  Filter f;
  if (!v.is_object()) throw Refused("filters[" + std::to_string(index) + "]: not an object");
  // The id is read first so that every later message can name the entry.
  std::optional<std::u16string> id;
  if (v.contains("id")) id = Text(v["id"], Where(EntryPrefix(index, std::nullopt), "id"));
  if (!id && v.contains("name") && v["name"].is_string()) id = ToWide(v["name"].get<std::string>());
  if (!id) id = u"#" + Utf8ToWide(std::to_string(index));
  const std::string prefix = EntryPrefix(index, id);
  f.id = *id;
  bool haveClass = false, haveInstance = false, haveMapperTypes = false;
  std::optional<std::u16string> instance;
  std::vector<MediaType> mapperTypes;
  f.categories = {CLSID_LegacyAmFilterCategory};
  Keys(v, prefix,
       {{"id", [](const Json&, const Where&) {}},
        {"name", [&](const Json& x, const Where& w) { f.name = Optional<std::u16string>(x, Text, w); }},
        {"clsid", [&](const Json& x, const Where& w) { f.clsid = Optional<std::u16string>(x, Text, w); }},
        {"class",
         [&](const Json& x, const Where& w) {
           if (x.is_null()) return;
           f.cls = GuidText(x, w);
           haveClass = true;
         }},
        {"class_fails", [&](const Json& x, const Where& w) { f.classFails = Flag(x, w); }},
        {"merit", [&](const Json& x, const Where& w) { f.merit = Integer(x, w); }},
        {"categories",
         [&](const Json& x, const Where& w) {
           f.categories.clear();
           for (const Json& c : Array(x, w)) {
             if (c.is_string() && c.get<std::string>() == "legacy") {
               f.categories.push_back(CLSID_LegacyAmFilterCategory);
             } else if (c.is_string() && c.get<std::string>() == "audio_renderer") {
               f.categories.push_back(CLSID_AudioRendererCategory);
             } else {
               f.categories.push_back(GuidText(c, w));
             }
           }
         }},
        {"mapper", [&](const Json& x, const Where& w) { f.mapper = Flag(x, w); }},
        {"bag", [&](const Json& x, const Where& w) { f.bag = Flag(x, w); }},
        {"instance",
         [&](const Json& x, const Where& w) {
           haveInstance = true;
           instance = Optional<std::u16string>(x, Text, w);
         }},
        {"server", [&](const Json& x, const Where& w) { f.server = Optional<std::u16string>(x, Text, w); }},
        {"server_exists", [&](const Json& x, const Where& w) { f.serverExists = Flag(x, w); }},
        {"version", [&](const Json& x, const Where& w) { f.version = Optional<Version>(x, ParseVersion, w); }},
        {"create_hr", [&](const Json& x, const Where& w) { f.createHr = HResult(x, w); }},
        {"add_hr", [&](const Json& x, const Where& w) { f.addHr = HResult(x, w); }},
        {"query_info_fails", [&](const Json& x, const Where& w) { f.queryInfoFails = Flag(x, w); }},
        {"enum_pins_hr",
         [&](const Json& x, const Where& w) {
           f.enumPinsHr = HResult(x, w);
           if (SUCCEEDED(f.enumPinsHr)) f.enumPinsHr = S_OK;
         }},
        {"pins",
         [&](const Json& x, const Where& w) {
           size_t k = 0;
           for (const Json& p : Array(x, w)) f.pins.push_back(ReadPin(p, prefix + "pins[" + std::to_string(k++) + "]: "));
         }},
        {"mapper_types",
         [&](const Json& x, const Where& w) {
           mapperTypes = Types(x, w);
           haveMapperTypes = true;
         }}},
       {"comment"});
  GUID fromClsid;
  const bool clsidIsGuid = f.clsid && IsGuidText(*f.clsid, fromClsid);
  if (!haveClass) f.cls = clsidIsGuid ? fromClsid : NameBasedGuid(kUrlNamespace, "world-filter:" + WideToUtf8(f.id));
  f.instance = haveInstance ? instance : f.clsid;
  if (haveMapperTypes) {
    f.registeredInput = true;
    f.registeredTypes = mapperTypes;
  } else {
    for (const Pin& p : f.pins) {
      if (p.dir != PINDIR_INPUT) continue;
      f.registeredInput = true;
      f.registeredTypes.insert(f.registeredTypes.end(), p.types.begin(), p.types.end());
    }
  }
  return f;
}

std::vector<SourceRule> ReadSources(const Json& v, const Where& w) {
  std::vector<SourceRule> rules;
  size_t k = 0;
  for (const Json& r : Array(v, w)) {
    const std::string prefix = "sources[" + std::to_string(k++) + "]: ";
    SourceRule rule;
    Keys(Object(r, w), prefix,
         {{"ext", [&](const Json& x, const Where& ww) { rule.ext = Text(x, ww); }},
          {"hr", [&](const Json& x, const Where& ww) { rule.hr = HResult(x, ww); }},
          {"filter", [&](const Json& x, const Where& ww) { rule.filter = Optional<std::u16string>(x, Text, ww); }},
          {"name", [&](const Json& x, const Where& ww) { rule.name = Optional<std::u16string>(x, Text, ww); }}});
    rules.push_back(rule);
  }
  return rules;
}

std::vector<RenderRule> ReadRenderRules(const Json& v, const Where& w) {
  std::vector<RenderRule> rules;
  size_t k = 0;
  for (const Json& r : Array(v, w)) {
    const std::string prefix = "render_file[" + std::to_string(k++) + "]: ";
    RenderRule rule;
    Keys(Object(r, w), prefix,
         {{"ext", [&](const Json& x, const Where& ww) { rule.ext = Text(x, ww); }},
          {"hr", [&](const Json& x, const Where& ww) { rule.hr = HResult(x, ww); }}});
    rules.push_back(rule);
  }
  return rules;
}

const std::pair<const char*, FailKey> kFailKeys[] = {
    {"coinit", kFailCoinit},
    {"sys_dev_enum", kFailSysDevEnum},
    {"graph", kFailGraph},
    {"mapper", kFailMapper},
    {"rot", kFailRot},
    {"item_moniker", kFailItemMoniker},
    {"rot_register", kFailRotRegister},
    {"bind_ctx", kFailBindCtx},
    {"class_enum", kFailClassEnum},
    {"enum_matching", kFailEnumMatching},
    {"enum_filters", kFailEnumFilters},
    {"parse_display_name", kFailParseDisplayName},
};

Model ReadModel(const Json& top) {
  if (!top.is_object()) throw Refused("the top-level value is not an object");
  Model m;
  m.errorTexts = DefaultErrorTexts();
  std::vector<std::pair<GUID, std::optional<std::u16string>>> serverRules;
  std::vector<std::pair<std::u16string, FileRecord>> fileRules;
  Keys(top, "",
       {{"file", [&](const Json& x, const Where& w) { m.file = Optional<std::u16string>(x, Text, w); }},
        {"pid", [&](const Json& x, const Where& w) { m.pid = static_cast<uint32_t>(Integer(x, w)); }},
        {"graph_address",
         [&](const Json& x, const Where& w) { m.graphAddress = static_cast<uint64_t>(Integer(x, w)); }},
        {"ticks",
         [&](const Json& x, const Where& w) {
           Keys(Object(x, w), "ticks: ",
                {{"start", [&](const Json& y, const Where& ww) { m.tickStart = static_cast<uint32_t>(Integer(y, ww)); }},
                 {"step", [&](const Json& y, const Where& ww) { m.tickStep = static_cast<uint32_t>(Integer(y, ww)); }},
                 {"values", [&](const Json& y, const Where& ww) {
                    m.tickValues.clear();
                    for (const Json& t : Array(y, ww)) m.tickValues.push_back(static_cast<uint32_t>(Integer(t, ww)));
                  }}});
         }},
        {"fault",
         [&](const Json& x, const Where& w) {
           Fault fault{};
           bool named = false;
           Keys(Object(x, w), "fault: ",
                {{"call",
                  [&](const Json& y, const Where& ww) {
                    fault.call = Choice<FaultCall>(y, ww, {{"CoCreateInstance", FaultCall::kCoCreateInstance},
                                                           {"MkParseDisplayName", FaultCall::kMkParseDisplayName},
                                                           {"RenderFile", FaultCall::kRenderFile},
                                                           {"AddSourceFilter", FaultCall::kAddSourceFilter},
                                                           {"ConnectDirect", FaultCall::kConnectDirect},
                                                           {"EnumMatchingFilters", FaultCall::kEnumMatchingFilters}});
                    named = true;
                  }},
                 {"action",
                  [&](const Json& y, const Where& ww) {
                    fault.hang = Choice<bool>(y, ww, {{"crash", false}, {"hang", true}});
                  }},
                 {"ext", [&](const Json& y, const Where& ww) { fault.ext = Text(y, ww); }}});
           if (!named) Where("fault: ", "call").Fail("missing");
           m.fault = fault;
         }},
        {"graph_order",
         [&](const Json& x, const Where& w) { m.graphReverse = Choice<bool>(x, w, {{"added", false}, {"reverse", true}}); }},
        {"name_chars", [&](const Json& x, const Where& w) { m.nameChars = Integer(x, w); }},
        {"duplicate_names",
         [&](const Json& x, const Where& w) { m.suffixNames = Choice<bool>(x, w, {{"keep", false}, {"suffix", true}}); }},
        {"mapper_zero_pairs",
         [&](const Json& x, const Where& w) { m.zeroPairsAny = Choice<bool>(x, w, {{"any", true}, {"none", false}}); }},
        {"fail",
         [&](const Json& x, const Where& w) {
           std::map<std::string, Handler> handlers;
           for (const auto& [name, key] : kFailKeys) {
             const FailKey k = key;
             handlers[name] = [&m, k](const Json& y, const Where& ww) { m.fail[k] = Optional<HRESULT>(y, HResult, ww); };
           }
           Keys(Object(x, w), "fail: ", handlers);
         }},
        {"error_texts",
         [&](const Json& x, const Where& w) {
           for (auto it = Object(x, w).begin(); it != x.end(); ++it) {
             const Where ew("error_texts: ", it.key());
             const uint32_t code = static_cast<uint32_t>(HResult(Json(it.key()), ew));
             if (it.value().is_null()) {
               m.errorTexts.erase(code);
             } else {
               m.errorTexts[code] = Text(it.value(), ew);
             }
           }
         }},
        {"sources", [&](const Json& x, const Where& w) { m.sources = ReadSources(x, w); }},
        {"unknown_source_hr", [&](const Json& x, const Where& w) { m.unknownSourceHr = HResult(x, w); }},
        {"render_file", [&](const Json& x, const Where& w) { m.renderFile = ReadRenderRules(x, w); }},
        {"servers",
         [&](const Json& x, const Where& w) {
           for (auto it = Object(x, w).begin(); it != x.end(); ++it) {
             const Where sw("servers: ", it.key());
             GUID g;
             if (!IsGuidText(ToWide(it.key()), g)) sw.Fail("not a GUID text");
             serverRules.emplace_back(g, Optional<std::u16string>(it.value(), Text, sw));
           }
         }},
        {"files",
         [&](const Json& x, const Where& w) {
           for (auto it = Object(x, w).begin(); it != x.end(); ++it) {
             const std::string prefix = "files: " + it.key() + ": ";
             FileRecord record;
             Keys(Object(it.value(), Where("files: ", it.key())), prefix,
                  {{"exists", [&](const Json& y, const Where& ww) { record.exists = Flag(y, ww); }},
                   {"version",
                    [&](const Json& y, const Where& ww) { record.version = Optional<Version>(y, ParseVersion, ww); }}});
             fileRules.emplace_back(ToWide(it.key()), record);
           }
         }},
        {"filters",
         [&](const Json& x, const Where& w) {
           size_t k = 0;
           for (const Json& f : Array(x, w)) m.filters.push_back(ReadFilter(f, k++));
         }}},
       {"comment", "expect"});

  std::set<std::u16string> ids;
  for (size_t k = 0; k < m.filters.size(); ++k) {
    if (!ids.insert(m.filters[k].id).second) Where(EntryPrefix(k, m.filters[k].id), "id").Fail("duplicate id");
  }
  for (size_t k = 0; k < m.sources.size(); ++k) {
    SourceRule& rule = m.sources[k];
    if (FAILED(rule.hr)) continue;
    const Where w("sources[" + std::to_string(k) + "]: ", "filter");
    if (!rule.filter) w.Fail("a succeeding rule names no filter");
    bool found = false;
    for (size_t i = 0; i < m.filters.size() && !found; ++i) {
      if (m.filters[i].id == *rule.filter) rule.filterIndex = i, found = true;
    }
    if (!found) w.Fail("no filter has the id " + Quote(*rule.filter));
  }
  for (const Filter& f : m.filters) {
    GUID g;
    if (f.clsid && f.server && IsGuidText(*f.clsid, g)) m.servers.emplace(g, *f.server);
    if (f.server) m.files.emplace(*f.server, FileRecord{f.serverExists, f.version});
  }
  for (const auto& [g, value] : serverRules) {
    if (value) {
      m.servers[g] = *value;
    } else {
      m.servers.erase(g);
    }
  }
  for (const auto& [path, record] : fileRules) m.files[path] = record;
  return m;
}

}  // namespace

}  // namespace world

namespace {

// Reads a world file whole: a regular file of at most kMaxWorldBytes, through the guarded
// reader of the data files, so that a FIFO, a device, a directory or a pipe is refused at
// once rather than read without end.
bool ReadWorldText(const std::string& path, std::string& text, std::string& error) {
  const platform::TReadResult read = platform::ReadWholeFile(path, kMaxWorldBytes, text);
  switch (read.Status) {
    case platform::TReadStatus::Ok:
      return true;
    case platform::TReadStatus::NotRegular:
      error = "not a regular file";
      break;
    case platform::TReadStatus::TooLarge:
      error = "larger than " + std::to_string(kMaxWorldBytes >> 20) + " MiB";
      break;
    default:
      error = read.Message;
      break;
  }
  return false;
}

}  // namespace

TMediaWorldLoad LoadMediaWorldText(const std::string& json) {
  TMediaWorldLoad result;
  try {
    if (json.compare(0, 3, "\xEF\xBB\xBF") == 0) throw world::Refused("the file begins with a byte-order mark");
    const world::Json top = world::Json::parse(world::MarkLoneSurrogates(json));
    auto model = std::make_shared<const world::Model>(world::ReadModel(top));
    result.File = model->file;
    result.Framework = MakeWorldFramework(model);
    result.MakeAnother = [model] { return MakeWorldFramework(model); };
    result.Text = json;
  } catch (const world::Json::exception& e) {
    result.Error = std::string("not valid JSON: ") + e.what();
  } catch (const std::exception& e) {
    result.Error = e.what();
  }
  return result;
}

TMediaWorldLoad LoadMediaWorldFile(const std::string& path) {
  TMediaWorldLoad result;
  std::string text;
  if (!ReadWorldText(path, text, result.Error)) {
    result.Error = path + ": " + result.Error;
    return result;
  }
  result = LoadMediaWorldText(text);
  if (!result.Error.empty()) result.Error = path + ": " + result.Error;
  return result;
}

}  // namespace ambrel::media
