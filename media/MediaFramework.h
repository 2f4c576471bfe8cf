// The media framework as the analysis sees it: a small COM-shaped interface (reference
// counted objects, HRESULT results, GUID class ids) offering the filter-graph operations
// the DirectShow-style sections use, plus the registry, file-version, error-text, tick
// and process questions they ask. Backends implement it: a scripted world (tests and
// --media-world), GStreamer (the real framework on Linux, when built) and "no framework"
// (every class creation answers REGDB_E_CLASSNOTREG).
//
// Contract common to every operation:
// - An HRESULT succeeds when it is not negative. A failing call hands out nothing: its
//   ComPtr out-arguments are left empty (they are cleared on entry).
// - Every object handed out is reference counted; ComPtr holds one reference. Objects
//   may be used from any one thread at a time (callers never share them across threads
//   concurrently). Objects may outlive the calls that made them but never the
//   IMediaFramework that made them.
// - Wide text is UTF-16 (std::u16string); lone surrogates may occur and are kept.
// - No operation throws; no operation blocks without bound (a backend that waits on its
//   framework abandons the wait after a bounded time and answers a failure).
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "base/Utf16.h"
#include "com/ComPtr.h"
#include "com/Enum.h"
#include "com/Guid.h"
#include "com/HResult.h"
#include "com/Moniker.h"

namespace ambrel::media {

// Class ids and categories.
inline constexpr CLSID CLSID_SystemDeviceEnum{0x62BE5D10, 0x60EB, 0x11D0, {0xBD, 0x3B, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
inline constexpr CLSID CLSID_FilterGraph{0xE436EBB3, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr CLSID CLSID_FilterMapper2{0xCDA42200, 0xBD88, 0x11D0, {0xBD, 0x4E, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
// The legacy filter category {083863F1-70DE-11D0-BD40-00A0C911CE86}.
inline constexpr CLSID CLSID_LegacyAmFilterCategory{0x083863F1, 0x70DE, 0x11D0, {0xBD, 0x40, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
// The audio renderer category {E0F158E1-CB04-11D0-BD4E-00A0C911CE86}.
inline constexpr CLSID CLSID_AudioRendererCategory{0xE0F158E1, 0xCB04, 0x11D0, {0xBD, 0x4E, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};

// Interface ids, for CoCreateInstance.
inline constexpr IID IID_ICreateDevEnum{0x29840822, 0x5B84, 0x11D0, {0xBD, 0x3B, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
inline constexpr IID IID_IGraphBuilder{0x56A868A9, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr IID IID_IFilterMapper2{0xB79BB0B0, 0x33C1, 0x11D1, {0xAB, 0xE1, 0x00, 0xA0, 0xC9, 0x05, 0xF3, 0x75}};
inline constexpr IID IID_IPropertyBag{0x55272A00, 0x42CB, 0x11CE, {0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}};
inline constexpr IID IID_IBaseFilter{0x56A86895, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};

// ---------------------------------------------------------------------------------------
// Interfaces. Directions and records first.

class IPin;
class IBaseFilter;
class IFilterGraph;
class IMoniker;

enum PIN_DIRECTION : int32_t { PINDIR_INPUT = 0, PINDIR_OUTPUT = 1 };

// A media type record. Handed out by IEnumMediaTypes::Next as a std::unique_ptr owned
// by the caller (DisposeMediaType or the unique_ptr frees it). majortype and subtype
// identify the type; GUID_NULL in either is a wildcard. pUnk may carry backend data the
// backend needs to link later (GStreamer: the caps); the format block is optional.
struct AM_MEDIA_TYPE {
  GUID majortype;
  GUID subtype;
  bool bFixedSizeSamples = false;
  bool bTemporalCompression = false;
  uint32_t lSampleSize = 0;
  GUID formattype;
  ComPtr<IUnknown> pUnk;
  uint32_t cbFormat = 0;
  std::unique_ptr<uint8_t[]> pbFormat;
};

// QueryFilterInfo's record. achName is the name under which the filter last joined a
// graph, already cut by the framework (at most the framework's name length: 127 UTF-16
// units for a real graph), without NUL; pGraph is the graph it is in, or empty.
struct FILTER_INFO {
  std::u16string achName;
  ComPtr<IFilterGraph> pGraph;
};

// QueryPinInfo's record: the owning filter (a reference), the declared direction and the
// pin's name (cut like FILTER_INFO::achName).
struct PIN_INFO {
  ComPtr<IBaseFilter> pFilter;
  PIN_DIRECTION dir = PINDIR_INPUT;
  std::u16string achName;
};

// What a framework's own RenderFile made of one stream of a Matroska file.
// NoFilter: a stream no installed filter accepted (a free output of a DirectShow splitter).
enum class TStreamFate : uint8_t { Plays, NoDecoder, NotRendered, NoFilter };
struct TStreamPlayback {
  // The stream's track, as the framework's demuxer names it.
  uint64_t TrackNumber = 0;
  uint64_t TrackUid = 0;
  TStreamFate Fate = TStreamFate::NotRendered;
  // Plays: the decoder (factory name, long name, the package that brings it; for a
  // DirectShow filter its server file, its name, no package); all empty for a stream that
  // needs none.
  std::string Element, ElementName, Package;
  // NoDecoder and NoFilter: the stream's format; NotRendered: why (plain text).
  std::string Detail;
  // NoDecoder: the decoder it lacks, as the framework names it.
  std::string MissingDecoder;
  // When the demuxer does not number its streams (TrackNumber 0): the Matroska track type
  // its media type tells (1 video, 2 audio, 0x11 subtitle), 0 when it tells none.
  uint8_t TrackType = 0;
  bool operator==(const TStreamPlayback&) const = default;
};
struct TRenderFileStreams {
  // Whether the framework built its graph for the file and tells about its streams.
  bool Told = false;
  // Whether the graph got to the end of its setup (every stream its demuxer exposed has
  // its answer); false when it failed or ran out of time before.
  bool Complete = false;
  std::vector<TStreamPlayback> Streams;  // in the order the demuxer exposed them
  std::vector<std::string> Missing;      // the decoders found missing, as the framework names them
  bool operator==(const TRenderFileStreams&) const = default;
};

class IEnumMoniker : public IEnum<ComPtr<IMoniker>> {};
class IEnumPins : public IEnum<ComPtr<IPin>> {};
class IEnumFilters : public IEnum<ComPtr<IBaseFilter>> {};
class IEnumMediaTypes : public IEnum<std::unique_ptr<AM_MEDIA_TYPE>> {};

// Registry-like properties of a registered filter.
class IPropertyBag : public IUnknown {
 public:
  // Reads a text property. Properties: "CLSID" (the class id text, normally registry
  // form but handed out exactly as registered) and "FriendlyName". S_OK and the text;
  // a failure (HRESULT_FILE_NOT_FOUND for a missing value or unknown name) leaves value
  // empty. Names are compared exactly.
  virtual HRESULT Read(const std::u16string& name, std::u16string& value) = 0;
};

class IMoniker : public IUnknown {
 public:
  // The registered filter's property bag. bindCtx may be null.
  virtual HRESULT BindToStorage(IBindCtx* bindCtx, ComPtr<IPropertyBag>& bag) = 0;
  // A new instance of the registered filter: every call makes a distinct, unconnected
  // instance in no graph. A success code other than S_OK may come with the filter.
  virtual HRESULT BindToObject(IBindCtx* bindCtx, ComPtr<IBaseFilter>& filter) = 0;
  // The item text of an item moniker, or the display name of a filter moniker.
  virtual HRESULT GetDisplayName(std::u16string& name) = 0;
};

class IPin : public IUnknown {
 public:
  virtual HRESULT QueryDirection(PIN_DIRECTION& dir) = 0;
  virtual HRESULT QueryPinInfo(PIN_INFO& info) = 0;
  // S_OK and the peer pin when connected; VFW_E_NOT_CONNECTED otherwise.
  virtual HRESULT ConnectedTo(ComPtr<IPin>& peer) = 0;
  // The types an input accepts or an output offers, in preference order.
  virtual HRESULT EnumMediaTypes(ComPtr<IEnumMediaTypes>& types) = 0;
};

class IBaseFilter : public IUnknown {
 public:
  // The filter's pins as they are now, in the filter's order (a demuxer's outputs appear
  // once its input is connected).
  virtual HRESULT EnumPins(ComPtr<IEnumPins>& pins) = 0;
  virtual HRESULT QueryFilterInfo(FILTER_INFO& info) = 0;
  virtual HRESULT GetClassID(CLSID& clsid) = 0;
};

class IFilterGraph : public IUnknown {
 public:
  // Adds filter under name (empty: no name). The name may be changed to keep names
  // unique (VFW_S_DUPLICATE_NAME). A filter already in a graph: VFW_E_DUPLICATE_NAME.
  virtual HRESULT AddFilter(IBaseFilter* filter, const std::u16string& name) = 0;
  // Removes the filter after breaking every connection of its pins. VFW_E_NOT_FOUND when
  // it is not in this graph.
  virtual HRESULT RemoveFilter(IBaseFilter* filter) = 0;
  // The filters now in the graph.
  virtual HRESULT EnumFilters(ComPtr<IEnumFilters>& filters) = 0;
  // Connects an output pin directly to an input pin, no intermediate filter. mediaType
  // may be null (any agreeable type). Checks, in order: pins in this graph
  // (VFW_E_NOT_IN_GRAPH), directions (VFW_E_INVALID_DIRECTION), both free
  // (VFW_E_ALREADY_CONNECTED), no cycle (VFW_E_CIRCULAR_GRAPH), then type negotiation
  // (VFW_E_NO_TYPES, VFW_E_NO_ACCEPTABLE_TYPES or the framework's refusal).
  virtual HRESULT ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* mediaType) = 0;
};

class IGraphBuilder : public IFilterGraph {
 public:
  // The framework's own automatic rendering of a file: S_OK when every stream reaches a
  // renderer, VFW_S_PARTIAL_RENDER when some do, a failure when none do or the file
  // cannot be read. playList is unused (null). The graph this is called on is left as it
  // was (a backend may build and discard a graph of its own).
  virtual HRESULT RenderFile(const std::u16string& fileName, const std::u16string* playList) = 0;
  // Adds a source filter for the file, whose output pins offer what the file holds.
  // filterName may be null; the source's name in the graph is then the file name.
  virtual HRESULT AddSourceFilter(const std::u16string& fileName, const std::u16string* filterName,
                                  ComPtr<IBaseFilter>& filter) = 0;
};

class ICreateDevEnum : public IUnknown {
 public:
  // One moniker per registered filter of the category, in the framework's order. An
  // empty category: S_FALSE and no enumerator. flags are unused (0).
  virtual HRESULT CreateClassEnumerator(const GUID& category, ComPtr<IEnumMoniker>& monikers, uint32_t flags) = 0;
};

class IFilterMapper2 : public IUnknown {
 public:
  // Monikers of the registered filters with merit >= minMerit whose registered input
  // accepts one of the inputTypeCount (major, sub) pairs in inputTypes (2 GUIDs per
  // pair, GUID_NULL a wildcard), highest merit first. When inputNeeded, only filters
  // registered with an input pin. The output criteria, mediums, pin categories, render
  // and exactMatch may be ignored by a backend. S_OK with a possibly empty enumerator.
  virtual HRESULT EnumMatchingFilters(ComPtr<IEnumMoniker>& monikers, uint32_t flags, bool exactMatch,
                                      uint32_t minMerit, bool inputNeeded, uint32_t inputTypeCount,
                                      const GUID* inputTypes, const void* inputMedium,
                                      const GUID* inputPinCategory, bool render, bool outputNeeded,
                                      uint32_t outputTypeCount, const GUID* outputTypes,
                                      const void* outputMedium, const GUID* outputPinCategory) = 0;
};

class IRunningObjectTable : public IUnknown {
 public:
  // Registers object under moniker's item text; cookie 1, 2, ... (never 0, never
  // reused). MK_S_MONIKERALREADYREGISTERED when the same text was registered already.
  // A failure hands out cookie 0.
  virtual HRESULT Register(uint32_t flags, IUnknown* object, IMoniker* moniker, uint32_t& cookie) = 0;
  // E_INVALIDARG for an unknown cookie (0 included).
  virtual HRESULT Revoke(uint32_t cookie) = 0;
};

// ---------------------------------------------------------------------------------------
// The framework object. One is made at program start and handed to every section; its
// state (initialisation count, running object table, tick counter) is shared by them.

class IMediaFramework {
 public:
  virtual ~IMediaFramework() = default;

  // What the framework is, for messages ("GStreamer 1.22.0", "scripted world", "none").
  virtual std::string Description() const = 0;

  // Per-thread initialisation as COM counts it. A failure is not counted; a success is
  // paired with CoUninitialize by the caller. No operation requires it.
  virtual HRESULT CoInitialize() = 0;
  virtual void CoUninitialize() = 0;

  // Creates CLSID_SystemDeviceEnum (ICreateDevEnum), CLSID_FilterGraph (IGraphBuilder)
  // or CLSID_FilterMapper2 (IFilterMapper2). iid names the interface wanted; the object
  // handed out implements it (use CoCreateInstanceAs below). Any other class:
  // REGDB_E_CLASSNOTREG. An interface the class lacks: E_NOINTERFACE.
  virtual HRESULT CoCreateInstance(const CLSID& clsid, const IID& iid, ComPtr<IUnknown>& object) = 0;

  virtual HRESULT CreateBindCtx(uint32_t reserved, ComPtr<IBindCtx>& ctx) = 0;
  // LegacyFilterDisplayName(instance name), the instance name being the class id text
  // of a registered filter of the legacy category (prefix letter case not significant):
  // that filter's moniker, or MK_E_SYNTAX.
  virtual HRESULT MkParseDisplayName(IBindCtx* ctx, const std::u16string& displayName,
                                     ComPtr<IMoniker>& moniker) = 0;
  virtual HRESULT GetRunningObjectTable(uint32_t reserved, ComPtr<IRunningObjectTable>& table) = 0;
  // A moniker holding item (GetDisplayName answers it); delimiter unused.
  virtual HRESULT CreateItemMoniker(const std::u16string& delimiter, const std::u16string& item,
                                    ComPtr<IMoniker>& moniker) = 0;

  // Writes at most size - 1 characters (code points) of hr's text and a closing NUL into
  // buffer and returns their number; 0 (nothing written) when the code has no text.
  virtual uint32_t AMGetErrorTextW(HRESULT hr, char16_t* buffer, uint32_t size) = 0;

  // Milliseconds since some fixed start, wrapping at 2^32.
  virtual uint32_t GetTickCount() = 0;
  virtual uint32_t GetCurrentProcessId() = 0;
  // The address shown for a graph in the running-object-table name (its pointer value).
  virtual uint64_t GraphAddress(IGraphBuilder* graph) { return reinterpret_cast<uintptr_t>(graph); }
  // How many UTF-16 units of a filter's graph name QueryFilterInfo gives back (names
  // longer than that are cut). Callers that put markup into a graph name keep the name
  // short enough for the markup to survive.
  virtual int64_t FilterNameChars() { return 127; }

  // What the latest IGraphBuilder::RenderFile of this framework found beyond its result,
  // as (label, text) pairs for the report: the renderers the streams reached (saying when
  // a stand-in took the place of a missing device). None by default.
  virtual std::vector<std::pair<std::string, std::string>> RenderFileNotes() { return {}; }
  // What the latest RenderFile made of each stream, for a framework that tells. Not told
  // by default.
  virtual TRenderFileStreams RenderFileStreams() { return {}; }
  // The graph the latest RenderFile built, handed over once (later calls: none until the
  // next RenderFile), for a framework that keeps it so that the caller can read what
  // became of each stream. None by default.
  virtual ComPtr<IFilterGraph> TakeRenderedGraph() { return {}; }
  // What the RenderFile check says of the platform's own framework when this is one: its
  // name and version, and its own Matroska splitter (name, class id). Empty by default.
  struct TPlatformFacts {
    std::string Name;
    std::string SplitterName;
    std::string SplitterClsid;
  };
  virtual TPlatformFacts PlatformFacts() { return {}; }
  // Said by a caller that is about to call IGraphBuilder::RenderFile on fileName with a
  // graph of this framework, after a few other questions: a framework may start that work
  // now, concurrently. Every answer stays what it would have been without it. Nothing by
  // default.
  virtual void PrepareRenderFile(const std::u16string& fileName) { (void)fileName; }
  // Whether graphs of this framework may be built on several threads at once with every
  // answer unchanged, so that a caller can build one section's graph while another's
  // renders. False by default: a framework whose answers follow the order of the calls
  // it is given (a scripted one) gets them one at a time, in order.
  virtual bool BuildsGraphsConcurrently() { return false; }

  // The default (unnamed) value of HKEY_LOCAL_MACHINE\keyPath, read access, as stored.
  // ERROR_SUCCESS and the text (possibly empty), or ERROR_FILE_NOT_FOUND when the key or
  // its default value does not exist. The keys asked are
  // "Software\Classes\CLSID\{X}\InprocServer32" (X in registry form, upper case).
  virtual int32_t RegQueryDefaultValue(const std::u16string& keyPath, std::u16string& value) = 0;
  // Whether a file of that path exists (an empty path never does). Paths are looked up
  // as given.
  virtual bool FileExists(const std::u16string& path) = 0;
  // The fixed file version of the file's version resource: true with the most and least
  // significant halves (major << 16 | minor, release << 16 | build); false when the file
  // has no version resource (an empty path has none).
  virtual bool GetFileVersion(const std::u16string& path, uint32_t& versionMS, uint32_t& versionLS) = 0;

  // What a file's work left behind in the framework, once it is done with it: Clean when
  // everything it started has ended (its graphs torn down) and nothing ran out of time,
  // so that the framework may serve another file; Failure, when not empty, a fault that
  // is the file's own (the system refused a thread), said in its report.
  struct TLeftovers {
    bool Clean = true;
    std::string Failure;
  };
  // Waits at most wait for the work still running, then says what was left and forgets
  // it. Clean, without waiting, by default.
  virtual TLeftovers Settle(std::chrono::milliseconds wait) {
    (void)wait;
    return {};
  }
};

// CoCreateInstance for a typed interface: the interface's IID is passed by the caller.
template <class T>
HRESULT CoCreateInstanceAs(IMediaFramework& fw, const CLSID& clsid, const IID& iid, ComPtr<T>& out) {
  out.Reset();
  ComPtr<IUnknown> unk;
  const HRESULT hr = fw.CoCreateInstance(clsid, iid, unk);
  if (FAILED(hr)) return hr;
  T* typed = dynamic_cast<T*>(unk.Get());
  if (!typed) return E_NOINTERFACE;
  out = ComPtr<T>(typed);
  return hr;
}

// ---------------------------------------------------------------------------------------
// Backends. media/BasicMediaFramework.h offers a base class (TBasicMediaFramework)
// with the running object table, item monikers, bind contexts, initialisation counting,
// DefaultErrorText texts, a steady-clock tick counter and getpid already done; a backend
// derives from it and overrides class creation, MkParseDisplayName, the registry and
// file-version questions (and error texts for codes of its own).

// A machine without the framework: every class creation answers REGDB_E_CLASSNOTREG, the
// running object table and monikers work, the registry and files hold nothing, error
// texts come from DefaultErrorText.
std::unique_ptr<IMediaFramework> CreateNoMediaFramework();

#ifdef AMBREL_HAVE_GSTREAMER
// The GStreamer backend (media/gst/), built only when CMake finds GStreamer.
std::unique_ptr<IMediaFramework> CreateGStreamerFramework();
#endif

// Where a framework that takes a while to start (loads a module, a plugin registry) does
// so: on a thread of its own from the moment it is made, or on the thread that puts the
// first question to it.
enum class TFrameworkStart { OwnThread, FirstQuestion };

// The platform's framework: GStreamer when built with it, else CreateNoMediaFramework.
std::unique_ptr<IMediaFramework> CreateDefaultMediaFramework(TFrameworkStart start = TFrameworkStart::OwnThread);

}  // namespace ambrel::media
