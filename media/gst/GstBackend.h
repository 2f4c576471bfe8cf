// Inside of the GStreamer backend of the media-framework interface. Nothing outside
// media/gst/ includes this header: GStreamer types stay here.
//
// How GStreamer answers the framework's questions:
// - A registered filter is an element factory. FriendlyName is the factory's long name;
//   its class id is the RFC 4122 version-5 (SHA-1) name-based UUID, in the URL namespace,
//   of the UTF-8 text "gstreamer-element:" + the factory name; its server file is the
//   plugin's file and that file's version is the plugin's version as four numbers
//   ("1.22.0" reads 1.22.0.0).
// - Merit comes from rank: none 0x200000, marginal 0x400000, secondary 0x600000,
//   primary 0x800000, linear between these points and above primary, so that the order
//   of ranks is kept.
// - A pin is a pad; a media type is one structure of the pad's caps. Its major type is the
//   name-based UUID of "gstreamer-media:" + the part of the structure name before '/',
//   its subtype that of "gstreamer-caps:" + the structure serialised as caps text (so a
//   subtype stands for the exact format, as the framework's autoplugger matches it); the
//   caps themselves ride along for linking.
#pragma once

#include <gst/gst.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "media/BasicMediaFramework.h"
#include "media/MediaFramework.h"
#include "media/gst/GstTimeouts.h"

namespace ambrel::media::gst {

// ---------------------------------------------------------------------------------------
// Small helpers (GstSupport.cpp).

// An owned reference to a GstObject (element, pad, factory, plugin).
template <class T>
class GstRef {
 public:
  GstRef() = default;
  // Adopts a reference the caller owns (a "transfer full" result).
  static GstRef Adopt(T* p) {
    GstRef r;
    r.p_ = p;
    return r;
  }
  // Takes a new reference.
  static GstRef Share(T* p) { return Adopt(p ? static_cast<T*>(gst_object_ref(p)) : nullptr); }
  GstRef(const GstRef& o) : p_(o.p_ ? static_cast<T*>(gst_object_ref(o.p_)) : nullptr) {}
  GstRef(GstRef&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
  GstRef& operator=(GstRef o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~GstRef() {
    if (p_) gst_object_unref(p_);
  }
  T* get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

// Owned caps.
class CapsRef {
 public:
  CapsRef() = default;
  static CapsRef Adopt(GstCaps* c) {
    CapsRef r;
    r.c_ = c;
    return r;
  }
  CapsRef(const CapsRef& o) : c_(o.c_ ? gst_caps_ref(o.c_) : nullptr) {}
  CapsRef(CapsRef&& o) noexcept : c_(o.c_) { o.c_ = nullptr; }
  CapsRef& operator=(CapsRef o) noexcept {
    std::swap(c_, o.c_);
    return *this;
  }
  ~CapsRef() {
    if (c_) gst_caps_unref(c_);
  }
  GstCaps* get() const { return c_; }
  explicit operator bool() const { return c_ != nullptr; }

 private:
  GstCaps* c_ = nullptr;
};

// The name-based GUID of text (see the header comment for the prefixes used).
GUID NameGuid(std::string_view text);
uint32_t MeritFromRank(unsigned rank);
// The name a graph hands back: cut at 127 UTF-16 units, a surrogate pair that does not fit
// leaving its high half alone.
std::u16string CutName(const std::u16string& name);
std::u16string Wide(const char* utf8);
// Runs job on a thread of its own and waits at most timeout for it. True when it finished
// in time and returned true; a job still running is left to finish on its own, so it must
// own everything it touches. A wait that runs out is noted (NoteTimeOut).
bool RunBounded(std::function<bool()> job, std::chrono::milliseconds timeout);
// Runs job on a thread of its own without waiting for it (stopping a graph nobody uses any
// more); job owns everything it touches. A process may end while it runs. False when the
// system refused the thread: the job is then kept, never run, and the refusal noted.
bool RunDetached(std::function<void()> job);
// What makes the framework unfit to serve another file (SettleJobs): a thread the system
// refused (this file's own failure), a wait for the framework's threads that ran out.
void NoteRefusedThread(const std::system_error& error);
void NoteTimeOut();
// Waits at most wait for the jobs still running (graphs being torn down), then says what
// the work since the last call left behind, and forgets it.
IMediaFramework::TLeftovers SettleJobs(std::chrono::milliseconds wait);

// Loads the plugin of a feature on a helper thread, in the order asked; returns at once.
// With thenItsDecoder (a parser), the best-ranked decoder of what the parser puts out is
// loaded after it.
void PreloadFeature(GstPluginFeature* feature, bool thenItsDecoder = false);


// Codes the backend answers beyond the common table, with their texts.
inline constexpr HRESULT VFW_E_TIMEOUT = MakeHr(0x8004022E);
std::u16string BackendErrorText(uint32_t code);

// ---------------------------------------------------------------------------------------
// The catalogue of registered filters (GstCatalogue.cpp), built once per process.

struct FactoryRecord {
  GstRef<GstElementFactory> factory;
  std::string name;         // factory name
  std::string longName;     // FriendlyName, as UTF-8 (most are never asked for)
  uint32_t merit = 0;
  std::string pluginFile;   // empty for a built-in plugin
  bool hasPadTemplates = false;
  bool hasSinkTemplate = false;
  bool audioSink = false;
  bool videoSink = false;
  bool decodable = false;   // demuxer, parser, decoder, depayloader or decryptor

  GUID Clsid() const { return NameGuid("gstreamer-element:" + name); }
  std::u16string Server() const { return Wide(pluginFile.c_str()); }
};

// The catalogue is read on every analysis, while most of it is only asked for by the
// filter lists: a factory's record is made when a question first reaches it (one factory by
// name, the mapper's matches, every factory for the lists and the class ids), so an
// analysis reads only the factories it uses. Records never move once made.
class Catalogue {
 public:
  static const Catalogue& Get();

  // Every factory, in factory-name order.
  const std::vector<const FactoryRecord*>& Records() const;
  // The demuxers, parsers, decoders, depayloaders and decryptors, in factory-name order,
  // without records: the mapper asks for the records of those it returns.
  const std::vector<GstElementFactory*>& Decodable() const;
  const FactoryRecord& Record(GstElementFactory* factory) const;
  const FactoryRecord* ByClsid(const GUID& clsid) const;
  const FactoryRecord* ByName(std::string_view name) const;
  // The members of a category, in factory-name order; empty for an unknown category.
  std::vector<const FactoryRecord*> Category(const GUID& category) const;
  // The plugin version of a plugin file: true with the two halves of a file version.
  bool PluginFileVersion(const std::u16string& path, uint32_t& ms, uint32_t& ls) const;

 private:
  Catalogue() = default;
  // The record of a factory, made on first use; the caller holds mutex_.
  const FactoryRecord& RecordOf(GstElementFactory* factory) const;

  mutable std::mutex mutex_;
  mutable std::map<std::string, FactoryRecord, std::less<>> byName_;
  mutable std::once_flag listed_;
  mutable std::vector<const FactoryRecord*> all_;
  mutable std::once_flag decodableListed_;
  mutable std::vector<GstElementFactory*> decodable_;  // holds a reference to each
  mutable std::once_flag indexed_;
  mutable std::map<GUID, const FactoryRecord*> byClsid_;
  mutable std::once_flag versioned_;
  mutable std::map<std::string, std::pair<uint32_t, uint32_t>, std::less<>> versions_;
};

// ---------------------------------------------------------------------------------------
// Renderers (GstRenderers.cpp): the sinks that take decoded streams on this machine.

enum class RenderRole { kAudio, kVideo, kText };

struct Renderer {
  const FactoryRecord* record;
  uint32_t merit;
  bool standIn;  // a sink without a device, used because the machine has none usable
};

// The renderers of a role, best first: the device sinks that open on this machine, or,
// when none does, a stand-in sink that accepts the decoded stream and discards it.
const std::vector<Renderer>& RenderersFor(RenderRole role);
// The sink without a device that accepts a role's decoded streams (the generic fake sink
// when that one is not installed), and its factory name.
const FactoryRecord* StandInFor(RenderRole role);
const char* StandInName(RenderRole role);
// The role of decoded caps (raw audio, raw video, text or subpictures); false otherwise.
bool RoleOfStructureName(std::string_view name, RenderRole& role);

// ---------------------------------------------------------------------------------------
// Media types (GstMediaTypes.cpp).

// One media type per structure of caps (none for ANY or empty caps).
std::vector<CapsRef> SplitCaps(GstCaps* caps);
std::unique_ptr<AM_MEDIA_TYPE> MakeMediaType(const CapsRef& single);
// The caps a media type was made from; empty when it came from elsewhere.
CapsRef CapsOfMediaType(const AM_MEDIA_TYPE& type);
// The caps a subtype GUID was made from (empty when unknown or GUID_NULL), and the media
// class ("video") of a major type GUID ("" when unknown).
CapsRef CapsOfSubtype(const GUID& subtype);
std::string MediaClassOfMajor(const GUID& major);

ComPtr<IEnumMediaTypes> MakeMediaTypeEnum(std::vector<CapsRef> types);

// How many media type GUIDs are remembered at most, and how many bytes of caps text they
// keep at most; and how many are remembered now.
inline constexpr size_t kMaxRemembered = 4096;
inline constexpr size_t kMaxRememberedBytes = size_t{8} << 20;
size_t RememberedMediaTypes();

// ---------------------------------------------------------------------------------------
// Filters and pins (GstFilter.cpp).

class GstGraph;

class GstFilter : public RefCounted<IBaseFilter> {
 public:
  GstFilter(GstRef<GstElement> element, const GUID& clsid);
  ~GstFilter() override;

  HRESULT EnumPins(ComPtr<IEnumPins>& pins) override;
  HRESULT QueryFilterInfo(FILTER_INFO& info) override;
  HRESULT GetClassID(CLSID& clsid) override;

  GstElement* Element() const { return element_.get(); }
  GstGraph* Graph() const { return graph_; }
  void SetGraph(GstGraph* graph) { graph_ = graph; }
  const std::u16string& Name() const { return name_; }
  void SetName(std::u16string name) { name_ = std::move(name); }
  // Caps a pad offers beyond what it reports itself (the source's detected type).
  void SetOfferedCaps(GstPad* pad, CapsRef caps);
  CapsRef OfferedCaps(GstPad* pad) const;

  // The wrapper of an element, when it has one.
  static GstFilter* OfElement(GstElement* element);

 private:
  GstRef<GstElement> element_;
  GUID clsid_;
  GstGraph* graph_ = nullptr;
  std::u16string name_;
  std::map<GstPad*, CapsRef> offered_;
};

class GstPin : public RefCounted<IPin> {
 public:
  GstPin(ComPtr<GstFilter> filter, GstRef<GstPad> pad);

  HRESULT QueryDirection(PIN_DIRECTION& dir) override;
  HRESULT QueryPinInfo(PIN_INFO& info) override;
  HRESULT ConnectedTo(ComPtr<IPin>& peer) override;
  HRESULT EnumMediaTypes(ComPtr<IEnumMediaTypes>& types) override;

  GstPad* Pad() const { return pad_.get(); }
  GstFilter* Filter() const { return filter_.Get(); }
  bool IsOutput() const { return GST_PAD_DIRECTION(pad_.get()) == GST_PAD_SRC; }
  // The caps this pin offers (output) or accepts (input), as fixed as they are known now.
  CapsRef Caps() const;

 private:
  ComPtr<GstFilter> filter_;
  GstRef<GstPad> pad_;
};

// The pin of a pad whose element has a wrapper; empty otherwise.
ComPtr<IPin> PinOfPad(GstPad* pad);

// ---------------------------------------------------------------------------------------
// The graph (GstGraph.cpp) and the framework's own rendering (GstRenderFile.cpp).

class RenderSession;

class GstGraph : public RefCounted<IGraphBuilder> {
 public:
  explicit GstGraph(std::shared_ptr<RenderSession> session);
  ~GstGraph() override;

  HRESULT AddFilter(IBaseFilter* filter, const std::u16string& name) override;
  HRESULT RemoveFilter(IBaseFilter* filter) override;
  HRESULT EnumFilters(ComPtr<IEnumFilters>& filters) override;
  HRESULT ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* mediaType) override;
  HRESULT RenderFile(const std::u16string& fileName, const std::u16string* playList) override;
  HRESULT AddSourceFilter(const std::u16string& fileName, const std::u16string* filterName,
                          ComPtr<IBaseFilter>& filter) override;

 private:
  HRESULT Join(GstFilter* filter, const std::u16string& name);
  bool Reaches(GstFilter* from, GstFilter* to) const;
  HRESULT Preroll(GstElement* element);

  GstRef<GstElement> pipeline_;
  std::shared_ptr<RenderSession> session_;
  std::vector<ComPtr<GstFilter>> filters_;
  std::chrono::steady_clock::duration prerollLeft_ = CurrentTimeouts().graphPrerollAllowance;
};

// What identifies a file's contents between two questions of one analysis: its device,
// inode, size and modification time.
struct FileStamp {
  uint64_t device = 0, inode = 0, size = 0;
  int64_t modifiedSeconds = 0, modifiedNanoseconds = 0;
  bool operator==(const FileStamp&) const = default;
};
bool StampOf(const std::string& path, FileStamp& stamp);

// The type the automatic graph's type finder found in a file (empty caps when it found
// none), with the file's stamp when the graph started.
struct DetectedType {
  CapsRef caps;
  bool stamped = false;
  FileStamp stamp;
};

// What the framework's automatic graph makes of a file.
struct RenderOutcome {
  HRESULT hr = S_OK;
  int streams = 0;
  int rendered = 0;
  std::vector<std::string> renderers;  // long names of the sinks the rendered streams reached
  // What became of each stream the demuxer exposed, and the missing decoders.
  TRenderFileStreams playback;
};
// Runs the automatic graph of path. onType (optional) is called once, from any thread, with
// the type the graph's type finder found, as soon as it is known (at the latest when the
// run ends).
RenderOutcome RenderFileAutomatically(const std::string& path,
                                      std::function<void(DetectedType)> onType = nullptr);
// The RenderFile check (GstRenderCheck.cpp): the chain of every stream chosen by media type,
// as the automatic graph would, without running data past the demuxer's headers. Same
// outcome shape and onType as RenderFileAutomatically, which stays as the reference the
// check is compared with.
RenderOutcome CheckRenderFile(const std::string& path, std::function<void(DetectedType)> onType = nullptr);

// What the graphs tell of streams (GstStreamFacts.cpp).
std::string StructureName(GstCaps* caps);
// How the report names a renderer: its long name, and why a stand-in took a device's place.
std::string RendererNote(RenderRole role, const Renderer& renderer);
// The Matroska track of a stream, from the stream id its pad carries; false for another id.
bool TrackOf(GstPad* pad, TStreamPlayback& stream);
std::string CodecDescription(GstCaps* caps);
// The Debian package of a factory's plugin ("gstreamer1.0-libav").
std::string PackageOf(GstElementFactory* factory);
// The answer for an error a graph's element posted.
HRESULT FromError(GError* error);
// The type the framework's type finders see in a file: S_OK and the caps, or why not.
HRESULT DetectType(const std::string& path, CapsRef& caps);
// Ends the streaming task of a demuxer that has announced its outputs; called on its own
// streaming thread.
void PauseReading(GstElement* demuxer);

// For tests: while set, the automatic graphs lose every error their demuxers post, as the
// decoding bin does with the error of a demuxer that fails before the bin has taken it
// (which happens under load).
void DropDemuxerErrors(bool drop);

// The automatic graphs of one framework. A run is started ahead of the RenderFile that
// asks for it, on a thread of its own, so that it runs while the caller asks its other
// questions; RenderFile takes its outcome, which the framework's notes then read. One run
// is kept: a start for another file drops the previous one (which finishes on its own); a
// start for the file already started, and not yet taken, changes nothing. Each framework
// has its own session, so that analyses on several threads never read each other's notes.
class RenderSession {
 public:
  void Start(const std::string& path);
  // The outcome of the run started for path, waited for (bounded) and handed out once;
  // false when no run was started for it.
  bool Take(const std::string& path, RenderOutcome& outcome);
  // The outcome of the latest RenderFile, for the report, and its recording.
  void Record(const RenderOutcome& outcome);
  RenderOutcome Last() const;
  // The type the latest run's type finder found in path, handed out once, when the file is
  // still the one it read: a source made for the same file then needs no type finding of
  // its own (the same type finders would read the same bytes). Waits (bounded) for a run
  // still finding it. False otherwise.
  bool TakeDetectedType(const std::string& path, CapsRef& type);

 private:
  // Hands out the kept future of the latest run when it was started for path (empty otherwise).
  template <typename T>
  std::shared_future<T> TakeFor(const std::string& path, std::shared_future<T>& kept) {
    std::lock_guard lock(mutex_);
    if (!kept.valid() || path_ != path) return {};
    return std::exchange(kept, {});
  }

  mutable std::mutex mutex_;
  std::string path_;  // of the latest run
  std::shared_future<RenderOutcome> run_;  // valid while not taken
  std::shared_future<DetectedType> type_;  // valid while not taken
  RenderOutcome last_;
};

// ---------------------------------------------------------------------------------------
// Catalogue objects (GstMapper.cpp).

ComPtr<IMoniker> MakeFactoryMoniker(const FactoryRecord& record);
ComPtr<ICreateDevEnum> MakeDeviceEnumerator();
ComPtr<IFilterMapper2> MakeMapper();

template <class Interface, class Item>
using ListEnum = TListEnum<Interface, Item>;

}  // namespace ambrel::media::gst
