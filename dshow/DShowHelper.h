// Questions about the media framework's registered filters (catalogue lists, installed
// and creatable state, the framework's own rendering, error texts) and small helpers
// over filters, pins and media types used by the rendering engine.
//
// Texts handed back are UTF-8 report text: names and paths that come from the framework
// are wrapped with Verbatim(), so the HTML report escapes them and the text report never
// strips tags from them. Filter and pin names are plain text.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "media/MediaFramework.h"

namespace ambrel {

using media::ComPtr;
using media::GUID;
using media::HRESULT;
using media::IBaseFilter;
using media::IMediaFramework;
using media::IPin;

// One registered filter of a category.
struct TMyFilterInfo {
  std::u16string FriendlyName;  // empty when it cannot be read
  GUID CLSID;                   // never GUID_NULL for a listed record
  std::u16string FileName;      // the registered server path; empty when none
  std::string Version;          // "a.b.c.d" of FileName; empty when it has none
};
using TFilterInfoList = std::vector<std::unique_ptr<TMyFilterInfo>>;

// Scoped per-thread framework initialisation, undone only when it succeeded.
class TComInit {
 public:
  explicit TComInit(IMediaFramework& Fw) : FFw(Fw), FOk(media::SUCCEEDED(Fw.CoInitialize())) {}
  ~TComInit() {
    if (FOk) FFw.CoUninitialize();
  }
  TComInit(const TComInit&) = delete;
  TComInit& operator=(const TComInit&) = delete;

 private:
  IMediaFramework& FFw;
  bool FOk;
};

// Fills List with the category's filters that have a class id, in the framework's order.
// A failure leaves the records gathered before it.
void EnumFiltersByCategory(IMediaFramework& Fw, const GUID& Category, TFilterInfoList& List);
// Order of two records by FriendlyName, compared after Unicode lower-casing, code point
// by code point: negative, 0 or positive.
int CompareFilterInfoByName(const TMyFilterInfo& A, const TMyFilterInfo& B);
// Stable sort by CompareFilterInfoByName.
void SortFilterInfoList(TFilterInfoList& List);

// The registered in-process server path of a class, or empty.
std::u16string GetFilterFileName(IMediaFramework& Fw, const GUID& Clsid);
bool GetFileVersion(IMediaFramework& Fw, const std::u16string& FileName, uint32_t& Major, uint32_t& Minor,
                    uint32_t& Release, uint32_t& Build);
// "a.b.c.d", or empty when the file has no version.
std::string GetFileVersionString(IMediaFramework& Fw, const std::u16string& FileName);
// Where a filter is installed: Installed false, or the server's path (as read) and its
// file version (empty when it has none). Answered false: the framework did not answer
// (it stopped), so whether it is installed is not known.
struct TFilterInstall {
  bool Installed = false;
  std::u16string Server;
  std::string Version;
  bool Answered = true;
};
TFilterInstall FindFilterInstall(IMediaFramework& Fw, const std::string& ClsidText);
// The same answer read from the platform framework's files, without starting it
// (media/FrameworkFiles.h): "no" where they cannot tell.
TFilterInstall FindFilterInstallWithoutFramework(const std::string& ClsidText);
// "no", or "yes, in " + path [+ " (" + version + ")"], or kInstallUnknown.
std::string CheckFilterInstalled(IMediaFramework& Fw, const std::string& ClsidText);
std::string InstalledText(const TFilterInstall& Install);
inline constexpr char kInstallUnknown[] = "unknown, the media framework did not answer";
bool CheckFilterCreatable(IMediaFramework& Fw, const std::string& ClsidText);
HRESULT TryRenderFile(IMediaFramework& Fw, const std::string& FileName);
// "OK" for 0, else the framework's text (trimmed) + " (0x%08X)".
std::string GetErrorText(IMediaFramework& Fw, HRESULT HR);

// Wide text from the framework as report text that is shown, never interpreted.
std::string VerbatimWide(const std::u16string& Text);

// The name a filter goes by in its graph; none when QueryFilterInfo fails.
std::optional<std::string> FilterName(IBaseFilter* Filter);
// The pin's name; none when QueryPinInfo fails.
std::optional<std::string> PinName(IPin* Pin);
bool IsInputPin(IPin* Pin);
bool IsOutputPin(IPin* Pin);
bool IsPinConnected(IPin* Pin);
int CountPins(IBaseFilter* Filter, media::PIN_DIRECTION Direction);
int CountMediaTypes(IPin* Pin);
void DisposeMediaType(std::unique_ptr<media::AM_MEDIA_TYPE>& MediaType);
// Whether the pin's own filter or any filter feeding it is of class Clsid.
bool IsClassUpstream(IPin* Pin, const GUID& Clsid);

}  // namespace ambrel
