#include "dshow/DShowHelper.h"

#include <algorithm>

#include "base/Hex.h"
#include "base/TextUtil.h"
#include "base/UnicodeCase.h"
#include "com/Moniker.h"
#include "media/FrameworkFiles.h"
#include "report/LogWriter.h"

namespace ambrel {

using namespace media;

std::string VerbatimWide(const std::u16string& Text) { return Verbatim(WideToUtf8(Text)); }

void EnumFiltersByCategory(IMediaFramework& Fw, const GUID& Category, TFilterInfoList& List) {
  List.clear();
  TComInit com(Fw);
  ComPtr<ICreateDevEnum> devEnum;
  if (FAILED(CoCreateInstanceAs(Fw, CLSID_SystemDeviceEnum, IID_ICreateDevEnum, devEnum))) return;
  ComPtr<IEnumMoniker> monikers;
  if (FAILED(devEnum->CreateClassEnumerator(Category, monikers, 0)) || !monikers) return;
  ComPtr<IMoniker> moniker;
  while (monikers->Next(moniker) == S_OK && moniker) {
    auto info = std::make_unique<TMyFilterInfo>();
    ComPtr<IPropertyBag> bag;
    if (SUCCEEDED(moniker->BindToStorage(nullptr, bag)) && bag) {
      std::u16string text;
      if (SUCCEEDED(bag->Read(u"CLSID", text))) CLSIDFromString(text, info->CLSID);
      if (SUCCEEDED(bag->Read(u"FriendlyName", text))) info->FriendlyName = text;
    }
    if (info->CLSID == GUID_NULL) continue;
    info->FileName = GetFilterFileName(Fw, info->CLSID);
    info->Version = GetFileVersionString(Fw, info->FileName);
    List.push_back(std::move(info));
  }
}

int CompareFilterInfoByName(const TMyFilterInfo& A, const TMyFilterInfo& B) {
  const std::u32string a = WideCodePoints(WideLower(A.FriendlyName));
  const std::u32string b = WideCodePoints(WideLower(B.FriendlyName));
  return a.compare(b) < 0 ? -1 : a == b ? 0 : 1;
}

void SortFilterInfoList(TFilterInfoList& List) {
  std::stable_sort(List.begin(), List.end(),
                   [](const auto& a, const auto& b) { return CompareFilterInfoByName(*a, *b) < 0; });
}

std::u16string GetFilterFileName(IMediaFramework& Fw, const GUID& Clsid) {
  if (Clsid == GUID_NULL) return {};
  const std::u16string key = u"Software\\Classes\\CLSID\\" + GuidToWString(Clsid) + u"\\InprocServer32";
  std::u16string value;
  return Fw.RegQueryDefaultValue(key, value) == ERROR_SUCCESS ? value : std::u16string();
}

bool GetFileVersion(IMediaFramework& Fw, const std::u16string& FileName, uint32_t& Major, uint32_t& Minor,
                    uint32_t& Release, uint32_t& Build) {
  Major = Minor = Release = Build = 0;
  uint32_t ms = 0, ls = 0;
  if (!Fw.GetFileVersion(FileName, ms, ls)) return false;
  Major = ms >> 16;
  Minor = ms & 0xFFFF;
  Release = ls >> 16;
  Build = ls & 0xFFFF;
  return true;
}

namespace {

std::string VersionText(uint32_t MS, uint32_t LS) {
  return std::to_string(MS >> 16) + "." + std::to_string(MS & 0xFFFF) + "." + std::to_string(LS >> 16) + "." +
         std::to_string(LS & 0xFFFF);
}

}  // namespace

std::string GetFileVersionString(IMediaFramework& Fw, const std::u16string& FileName) {
  uint32_t ms = 0;
  uint32_t ls = 0;
  if (!Fw.GetFileVersion(FileName, ms, ls)) return {};
  return VersionText(ms, ls);
}

TFilterInstall FindFilterInstall(IMediaFramework& Fw, const std::string& ClsidText) {
  GUID clsid;
  CLSIDFromString(ClsidText, clsid);
  const std::u16string path = GetFilterFileName(Fw, clsid);
  if (path.empty() || !Fw.FileExists(path)) return {};
  return {true, path, GetFileVersionString(Fw, path)};
}

TFilterInstall FindFilterInstallWithoutFramework(const std::string& ClsidText) {
  const std::optional<media::TFilterServerFile> server = media::FindFilterServerWithoutFramework(ClsidText);
  if (!server) return {};
  return {true, server->Path, server->HasVersion ? VersionText(server->VersionMS, server->VersionLS) : ""};
}

std::string InstalledText(const TFilterInstall& Install) {
  if (!Install.Answered) return kInstallUnknown;
  if (!Install.Installed) return "no";
  std::string result = "yes, in " + VerbatimWide(Install.Server);
  if (!Install.Version.empty()) result += " (" + Verbatim(Install.Version) + ")";
  return result;
}

std::string CheckFilterInstalled(IMediaFramework& Fw, const std::string& ClsidText) {
  return InstalledText(FindFilterInstall(Fw, ClsidText));
}

bool CheckFilterCreatable(IMediaFramework& Fw, const std::string& ClsidText) {
  ComPtr<IBindCtx> ctx;
  if (FAILED(Fw.CreateBindCtx(0, ctx))) return false;
  TComInit com(Fw);
  ComPtr<IMoniker> moniker;
  const std::u16string name = LegacyFilterDisplayName(Utf8ToWide(ClsidText));
  if (FAILED(Fw.MkParseDisplayName(ctx.Get(), name, moniker)) || !moniker) return false;
  ComPtr<IBaseFilter> filter;
  return SUCCEEDED(moniker->BindToObject(nullptr, filter));
}

HRESULT TryRenderFile(IMediaFramework& Fw, const std::string& FileName) {
  TComInit com(Fw);
  ComPtr<IGraphBuilder> graph;
  const HRESULT hr = CoCreateInstanceAs(Fw, CLSID_FilterGraph, IID_IGraphBuilder, graph);
  if (FAILED(hr)) return hr;
  return graph->RenderFile(PathToWide(FileName), nullptr);
}

std::string GetErrorText(IMediaFramework& Fw, HRESULT HR) {
  if (HR == 0) return "OK";
  // The framework writes up to 159 characters and a NUL; a character may take two UTF-16
  // units, so the buffer has room for twice as many units. The text shown is its first 159 units.
  char16_t buffer[2 * 160] = {};
  std::u16string text;
  if (Fw.AMGetErrorTextW(HR, buffer, 160) != 0) {
    buffer[159] = 0;
    text = std::u16string(TrimBlank(std::u16string_view(buffer)));
  }
  return WideToUtf8(text) + " (0x" + HexText(static_cast<uint32_t>(HR), 8) + ")";
}

}  // namespace ambrel
