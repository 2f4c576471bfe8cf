// The parsed form of a scripted media world, shared by its loader and its objects.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "media/MediaFramework.h"

namespace ambrel::media::world {

// One side of a media type: a text, or the wildcard.
struct Side {
  bool wildcard = false;
  std::u16string text;
};
struct MediaType {
  Side major;
  Side sub;
};
bool Matches(const MediaType& a, const MediaType& b);

struct Version {
  uint16_t part[4] = {0, 0, 0, 0};
};

struct Pin {
  std::u16string name;
  PIN_DIRECTION dir = PINDIR_INPUT;
  std::vector<MediaType> types;
  bool onConnect = false;
  std::optional<HRESULT> connectHr;
  bool queryFails = false;
  bool dirFails = false;
  HRESULT enumTypesHr = S_OK;
};

struct Filter {
  std::u16string id;
  std::optional<std::u16string> name;
  std::optional<std::u16string> clsid;  // as written
  GUID cls;                             // GetClassID
  bool classFails = false;
  int64_t merit = 0x600000;
  std::vector<GUID> categories;
  bool mapper = true;
  bool bag = true;
  std::optional<std::u16string> instance;
  std::optional<std::u16string> server;
  bool serverExists = true;
  std::optional<Version> version;
  HRESULT createHr = S_OK;
  HRESULT addHr = S_OK;
  bool queryInfoFails = false;
  HRESULT enumPinsHr = S_OK;
  std::vector<Pin> pins;
  bool registeredInput = false;
  std::vector<MediaType> registeredTypes;
};

struct SourceRule {
  std::u16string ext = u"*";
  HRESULT hr = S_OK;
  std::optional<std::u16string> filter;  // id
  size_t filterIndex = 0;                // resolved when hr succeeds
  std::optional<std::u16string> name;
};

struct RenderRule {
  std::u16string ext = u"*";
  HRESULT hr = S_OK;
};

struct FileRecord {
  bool exists = true;
  std::optional<Version> version;
};

// Forced results of framework calls, by key.
enum FailKey {
  kFailCoinit,
  kFailSysDevEnum,
  kFailGraph,
  kFailMapper,
  kFailRot,
  kFailItemMoniker,
  kFailRotRegister,
  kFailBindCtx,
  kFailClassEnum,
  kFailEnumMatching,
  kFailEnumFilters,
  kFailParseDisplayName,
  kFailKeyCount
};

// The calls at which a world may make its framework host fail.
enum class FaultCall { kCoCreateInstance, kMkParseDisplayName, kRenderFile, kAddSourceFilter, kConnectDirect,
                       kEnumMatchingFilters };

// The host's process ends with SIGSEGV (crash) or stops answering (hang) at the call.
// RenderFile and AddSourceFilter fail so only for a file whose extension ext takes.
struct Fault {
  FaultCall call;
  bool hang = false;
  std::u16string ext = u"*";
};

struct Model {
  std::optional<std::u16string> file;
  uint32_t pid = 0x1A2C;
  uint64_t graphAddress = 0x0A3C52E0;
  uint32_t tickStart = 1000000;
  uint32_t tickStep = 1;
  std::vector<uint32_t> tickValues;
  bool graphReverse = false;
  int64_t nameChars = 127;
  bool suffixNames = false;
  bool zeroPairsAny = true;
  std::optional<HRESULT> fail[kFailKeyCount];
  std::map<uint32_t, std::u16string> errorTexts;
  std::vector<SourceRule> sources;
  HRESULT unknownSourceHr = VFW_E_UNKNOWN_FILE_TYPE;
  std::vector<RenderRule> renderFile;
  std::map<GUID, std::u16string> servers;  // InprocServer32 values, after every rule
  std::map<std::u16string, FileRecord> files;
  std::vector<Filter> filters;
  std::optional<Fault> fault;
};

// The extension of a file name as the world's rules see it, and whether a rule's ext
// takes it.
std::u16string FileExtension(const std::u16string& fileName);
bool RuleTakes(const std::u16string& ruleExt, const std::u16string& fileName);

}  // namespace ambrel::media::world
