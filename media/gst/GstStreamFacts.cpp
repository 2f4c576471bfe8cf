// What the framework's graphs tell of a file's streams (GstStreamFacts.cpp), shared by the
// automatic graph and the RenderFile check.
#include <gst/base/gsttypefindhelper.h>
#include <gst/pbutils/pbutils.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "media/gst/GstBackend.h"

namespace ambrel::media::gst {

namespace {

// Reads the file for the type finders.
GstFlowReturn ReadRange(GstObject* owner, GstObject*, guint64 offset, guint length, GstBuffer** buffer) {
  auto* file = static_cast<std::FILE*>(g_object_get_data(G_OBJECT(owner), "file"));
  if (!file || fseeko(file, static_cast<off_t>(offset), SEEK_SET) != 0) return GST_FLOW_ERROR;
  GstBuffer* out = gst_buffer_new_allocate(nullptr, length, nullptr);
  GstMapInfo map;
  gst_buffer_map(out, &map, GST_MAP_WRITE);
  const size_t got = std::fread(map.data, 1, length, file);
  gst_buffer_unmap(out, &map);
  if (got == 0) {
    gst_buffer_unref(out);
    return GST_FLOW_EOS;
  }
  gst_buffer_set_size(out, static_cast<gssize>(got));
  *buffer = out;
  return GST_FLOW_OK;
}

}  // namespace

std::string StructureName(GstCaps* caps) {
  return caps && gst_caps_get_size(caps) ? gst_structure_get_name(gst_caps_get_structure(caps, 0)) : "";
}


// How the report names a renderer: its long name, and why a stand-in took a device's place.
std::string RendererNote(RenderRole role, const Renderer& renderer) {
  std::string note = renderer.record->longName;
  if (renderer.standIn) {
    note += role == RenderRole::kAudio   ? " (no usable sound device: the decoded audio is discarded)"
            : role == RenderRole::kVideo ? " (no usable display: the decoded video is discarded)"
                                         : " (decoded subtitles, which players draw onto the video)";
  }
  return note;
}


// The Matroska track of a stream: the Matroska demuxer ends its streams' ids with
// "/NUMBER:UID". False for another id.
bool TrackOf(GstPad* pad, TStreamPlayback& stream) {
  gchar* id = gst_pad_get_stream_id(pad);
  const char* slash = id ? std::strrchr(id, '/') : nullptr;
  char* end = nullptr;
  bool found = slash && g_ascii_isdigit(slash[1]) &&
               (stream.TrackNumber = g_ascii_strtoull(slash + 1, &end, 10), end && *end == ':');
  const char* uid = found ? end + 1 : nullptr;
  found = found && g_ascii_isdigit(*uid) && (stream.TrackUid = g_ascii_strtoull(uid, &end, 10), end && !*end);
  g_free(id);
  return found;
}


std::string CodecDescription(GstCaps* caps) {
  gchar* text = caps ? gst_pb_utils_get_codec_description(caps) : nullptr;
  std::string description = text ? text : StructureName(caps);
  g_free(text);
  return description;
}


// "gstreamer1.0-libav" for a plugin of the gst-libav source module: the name Debian and
// Ubuntu give the package that brings it.
std::string PackageOf(GstElementFactory* factory) {
  GstPlugin* plugin = gst_plugin_feature_get_plugin(GST_PLUGIN_FEATURE(factory));
  const char* source = plugin ? gst_plugin_get_source(plugin) : nullptr;
  std::string package = source ? source : "";
  if (plugin) gst_object_unref(plugin);
  if (package.rfind("gst-", 0) == 0) package = "gstreamer1.0-" + package.substr(4);
  return package;
}


HRESULT FromError(GError* error) {
  if (error->domain == GST_RESOURCE_ERROR &&
      (error->code == GST_RESOURCE_ERROR_NOT_FOUND || error->code == GST_RESOURCE_ERROR_OPEN_READ))
    return HRESULT_FILE_NOT_FOUND;
  if (error->domain == GST_STREAM_ERROR && error->code == GST_STREAM_ERROR_TYPE_NOT_FOUND)
    return VFW_E_UNKNOWN_FILE_TYPE;
  if ((error->domain == GST_STREAM_ERROR && error->code == GST_STREAM_ERROR_CODEC_NOT_FOUND) ||
      (error->domain == GST_CORE_ERROR && error->code == GST_CORE_ERROR_MISSING_PLUGIN))
    return VFW_E_CANNOT_RENDER;
  return VFW_E_INVALID_FILE_FORMAT;
}


// The type the framework's type finders see in the file: S_OK and the caps, or why not.
HRESULT DetectType(const std::string& path, CapsRef& caps) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return E_ACCESSDENIED;
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  GstRef<GstObject> owner = GstRef<GstObject>::Adopt(GST_OBJECT(gst_object_ref_sink(gst_bin_new(nullptr))));
  g_object_set_data(G_OBJECT(owner.get()), "file", file);
  const std::string extension = std::filesystem::path(path).extension().string();
  GstTypeFindProbability probability;
  caps = CapsRef::Adopt(gst_type_find_helper_get_range(owner.get(), nullptr, ReadRange, ec ? 0 : size,
                                                       extension.empty() ? nullptr : extension.c_str() + 1,
                                                       &probability));
  std::fclose(file);
  return caps ? S_OK : VFW_E_UNKNOWN_FILE_TYPE;
}


// Ends the streaming task of a demuxer that has announced its outputs: reading on would
// only parse what follows the headers (and a demuxer may never get past it, as on a file
// whose Attachments it parses without end). Called on the demuxer's own streaming thread,
// where the task stops once the current step returns; no state changes.
void PauseReading(GstElement* demuxer) {
  GST_OBJECT_LOCK(demuxer);
  std::vector<GstRef<GstPad>> inputs;
  for (GList* l = demuxer->sinkpads; l; l = l->next) inputs.push_back(GstRef<GstPad>::Share(GST_PAD(l->data)));
  GST_OBJECT_UNLOCK(demuxer);
  for (const GstRef<GstPad>& input : inputs) gst_pad_pause_task(input.get());
}


}  // namespace ambrel::media::gst
