#include "app/cli/JsonReport.h"

#include <charconv>
#include <optional>
#include <unordered_map>

#include "app/analysis/CodecCandidates.h"
#include "app/cli/LanguageNames.h"
#include "matroska/CodecProfile.h"
#include "matroska/ColourNames.h"
#include "app/analysis/FriendlyNames.h"
#include "app/analysis/MatroskaReport.h"
#include "base/NumberFormat.h"
#include "matroska/ValueFormat.h"
#include "report/LogWriter.h"
#include "base/TextUtil.h"

namespace ambrel {

namespace {

std::string Text(std::string_view bytes) { return ValidUtf8(bytes); }

// A text of the file, or null when it is absent (or empty).
TJson OptText(std::string_view bytes) { return bytes.empty() ? TJson() : TJson(Text(bytes)); }

TJson OptInt(const std::optional<int>& value) { return value ? TJson(*value) : TJson(); }

std::string LowerHex(const std::vector<uint8_t>& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const uint8_t b : bytes) {
    hex += kDigits[b >> 4];
    hex += kDigits[b & 15];
  }
  return hex;
}

// The friendly name the text report shows for a key read from the file.
std::string Friendly(const TFriendlyNames& names, const std::string& key) {
  return Text(names.LookupFriendlyName(key));
}

TJson EbmlHeaderJson(const TEbmlHeader& h) {
  return {{"version", h.EBMLVersion},
          {"read_version", h.EBMLReadVersion},
          {"max_id_length", h.EBMLMaxIDLength},
          {"max_size_length", h.EBMLMaxSizeLength},
          {"doc_type", OptText(h.DocType)},
          {"doc_type_version", h.DocTypeVersion},
          {"doc_type_read_version", h.DocTypeReadVersion}};
}

TJson SegmentJson(const TMatroskaSegmentInfo& info) {
  TJson j;
  j["complete"] = info.Complete;
  j["uid"] = info.HasSegmentUID ? TJson(LowerHex(info.SegmentUID)) : TJson();
  // Not finite durations have no JSON number: they are written as null.
  j["duration_ms"] = info.HasDuration ? TJson(info.Duration) : TJson();
  j["duration_ns"] = info.HasDuration ? TJson(SegmentLengthNs(info.Duration, 1000000)) : TJson();
  j["duration"] = info.HasDuration ? TJson(MillisecondsToStr(RoundLow64(info.Duration))) : TJson();
  j["timecode_scale"] = info.TimecodeScale;
  j["title"] = OptText(info.Title);
  j["muxing_app"] = OptText(info.MuxingApp);
  j["writing_app"] = OptText(info.WritingApp);
  const std::string date = info.HasDateUTC ? DateUTCToIso(info.DateUTC) : std::string();
  j["date"] = date.empty() ? TJson() : TJson(date);
  return j;
}

// The statistics tags of a track (written by muxers into the tag that targets it).
using TStatisticsTags = std::unordered_map<uint64_t, const TMatroskaTag*>;

TJson NumberOrText(const std::string& text) {
  uint64_t n = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (ec == std::errc() && end == text.data() + text.size() && !text.empty()) return n;
  return OptText(text);
}

TJson StatisticsJson(const TMatroskaTag* tag) {
  if (!tag) return TJson();
  static constexpr std::pair<std::string_view, const char*> kNames[] = {
      {"BPS", "bit_rate"}, {"DURATION", "duration"}, {"NUMBER_OF_FRAMES", "frames"}, {"NUMBER_OF_BYTES", "bytes"}};
  TJson j = {{"bit_rate", nullptr}, {"duration", nullptr}, {"frames", nullptr}, {"bytes", nullptr}};
  for (const TMatroskaSimpleTag& s : tag->SimpleTags) {
    for (const auto& [name, key] : kNames) {
      if (s.TagName != name) continue;
      j[key] = name == "DURATION" ? OptText(s.TagString) : NumberOrText(s.TagString);
    }
  }
  return j;
}

TStatisticsTags FindStatisticsTags(const std::deque<TMatroskaTag>& tags) {
  TStatisticsTags found;
  for (const TMatroskaTag& tag : tags) {
    if (tag.Targets.TrackUID == 0) continue;
    for (const TMatroskaSimpleTag& s : tag.SimpleTags) {
      if (s.TagName == "BPS" || s.TagName == "NUMBER_OF_FRAMES" || s.TagName == "NUMBER_OF_BYTES" ||
          s.TagName == "DURATION") {
        found[tag.Targets.TrackUID] = &tag;
        break;
      }
    }
  }
  return found;
}

TJson ContentEncodingsJson(const std::vector<TMatroskaContentEncoding>& encodings) {
  TJson list = TJson::array();
  for (const TMatroskaContentEncoding& e : encodings) {
    list.push_back({{"order", e.Order},
                    {"scope", e.Scope},
                    {"type", e.Type},
                    {"compression", e.HasCompression ? TJson(e.CompAlgo) : TJson()},
                    {"encryption", e.HasEncryption ? TJson(e.EncAlgo) : TJson()}});
  }
  return list;
}

// A value the file may leave out and the format gives no default: null when absent.
template <class T>
TJson IfRead(bool read, T value) {
  return read ? TJson(value) : TJson();
}

// The HDR format the colour declares ("HDR10", "HLG"; null for none) and, for HDR10, the
// static metadata it leaves out ("mastering": no mastering display luminance; "max_cll").
void HdrJson(const TMatroskaColour& c, TJson& j) {
  const std::string_view format = HdrFormat(c.TransferCharacteristics, c.Primaries);
  j["hdr"] = format.empty() ? TJson() : TJson(format);
  if (format != "HDR10") {
    j["hdr_missing"] = nullptr;
    return;
  }
  TJson missing = TJson::array();
  const TMatroskaMastering* m = c.Mastering.get();
  if (!m || !m->HasLuminanceMax) missing.push_back("mastering");
  if (!c.HasMaxCLL) missing.push_back("max_cll");
  j["hdr_missing"] = std::move(missing);
}

TJson ColourJson(const TMatroskaColour* c) {
  if (!c) return TJson();
  TJson j = {{"matrix_coefficients", c->MatrixCoefficients},
             {"matrix_coefficients_name", MatrixCoefficientsName(c->MatrixCoefficients)},
             {"bits_per_channel", c->BitsPerChannel},
             {"chroma_subsampling_horz", IfRead(c->HasChromaSubsamplingHorz, c->ChromaSubsamplingHorz)},
             {"chroma_subsampling_vert", IfRead(c->HasChromaSubsamplingVert, c->ChromaSubsamplingVert)},
             {"range", c->Range},
             {"range_name", ColourRangeName(c->Range)},
             {"transfer_characteristics", c->TransferCharacteristics},
             {"transfer_characteristics_name", TransferCharacteristicsName(c->TransferCharacteristics)},
             {"primaries", c->Primaries},
             {"primaries_name", ColourPrimariesName(c->Primaries)},
             {"max_cll", IfRead(c->HasMaxCLL, c->MaxCLL)},
             {"max_fall", IfRead(c->HasMaxFALL, c->MaxFALL)},
             {"mastering", nullptr}};
  if (const TMatroskaMastering* m = c->Mastering.get()) {
    j["mastering"] = {{"primary_r_x", IfRead(m->HasPrimaryRChromaticityX, m->PrimaryRChromaticityX)},
                      {"primary_r_y", IfRead(m->HasPrimaryRChromaticityY, m->PrimaryRChromaticityY)},
                      {"primary_g_x", IfRead(m->HasPrimaryGChromaticityX, m->PrimaryGChromaticityX)},
                      {"primary_g_y", IfRead(m->HasPrimaryGChromaticityY, m->PrimaryGChromaticityY)},
                      {"primary_b_x", IfRead(m->HasPrimaryBChromaticityX, m->PrimaryBChromaticityX)},
                      {"primary_b_y", IfRead(m->HasPrimaryBChromaticityY, m->PrimaryBChromaticityY)},
                      {"white_point_x", IfRead(m->HasWhitePointChromaticityX, m->WhitePointChromaticityX)},
                      {"white_point_y", IfRead(m->HasWhitePointChromaticityY, m->WhitePointChromaticityY)},
                      {"luminance_max", IfRead(m->HasLuminanceMax, m->LuminanceMax)},
                      {"luminance_min", IfRead(m->HasLuminanceMin, m->LuminanceMin)}};
  }
  HdrJson(*c, j);
  return j;
}

TJson CandidatesJson(const TMatroskaTrackEntry& t, const TAnalysisContext& context, TCodecCandidateCache& cache) {
  TJson candidates = TJson::array();
  for (const TCodecCandidate& c : FindCodecCandidates(t, context, &cache)) {
    const TFilterInstall& install = c.Install;
    candidates.push_back({{"name", OptText(c.Name)},
                          {"installed", install.Answered ? TJson(install.Installed) : TJson()},
                          {"server", install.Installed ? TJson(Text(media::WideToUtf8(install.Server))) : TJson()},
                          {"version", OptText(install.Version)},
                          {"install_comments", OptText(c.InstallComments)},
                          {"link", OptText(c.Link)}});
  }
  return candidates;
}

TJson TrackJson(const TMatroskaTrackEntry& t, const TAnalysisContext& context, TCodecCandidateCache& cache,
                const TStatisticsTags& statistics) {
  const TFriendlyNames& names = context.FriendlyNames;
  const TMatroskaTrackExtras& x = TrackExtrasOf(t);
  TJson j;
  j["number"] = t.TrackNumber;
  j["uid"] = t.TrackUID;
  j["type"] = t.TrackType;
  j["type_name"] = OptText(TrackTypeToStr(t.TrackType));
  j["codec_id"] = OptText(t.CodecID);
  j["codec"] = t.CodecID.empty() ? TJson() : TJson(Friendly(names, t.CodecID));
  if (IsVfwFourccTrack(&t)) {
    j["fourcc"] = OptText(t.Fourcc);
    j["fourcc_name"] = t.Fourcc.empty() ? TJson() : TJson(Friendly(names, t.Fourcc));
  }
  if (IsAcmTrack(&t) && t.HasFormatTag) {
    j["format_tag"] = t.FormatTag;
    j["format_tag_name"] = OptText(names.LookupFormatTagName(static_cast<uint16_t>(t.FormatTag)));
  }
  j["codec_name"] = OptText(t.CodecName);
  j["codec_private_size"] = t.HasCodecPrivate ? TJson(t.CodecPrivate.size()) : TJson();
  const TCodecProfile profile = CodecProfileOf(t);
  j["profile"] = OptInt(profile.Profile);
  j["level"] = OptInt(profile.Level);
  j["codec_delay_ns"] = x.CodecDelay;
  j["seek_preroll_ns"] = x.SeekPreRoll;
  j["name"] = OptText(t.Name);
  j["language"] = OptText(t.Language);
  j["language_name"] = OptText(IsoLanguageName(t.Language));
  j["language_bcp47"] = OptText(x.LanguageBCP47);
  j["language_bcp47_name"] = OptText(IsoLanguageName(x.LanguageBCP47));
  j["enabled"] = t.FlagEnabled != 0;
  j["default"] = t.FlagDefault != 0;
  j["forced"] = x.FlagForced != 0;
  j["hearing_impaired"] = x.FlagHearingImpaired != 0;
  j["visual_impaired"] = x.FlagVisualImpaired != 0;
  j["text_descriptions"] = x.FlagTextDescriptions != 0;
  j["original"] = x.FlagOriginal != 0;
  j["commentary"] = x.FlagCommentary != 0;
  j["lacing"] = t.FlagLacing != 0;
  j["default_duration_ns"] = t.DefaultDuration;
  j["frame_rate"] = t.DefaultDuration != 0 ? TJson(1e9 / t.DefaultDuration) : TJson();
  j["content_encodings"] = ContentEncodingsJson(x.ContentEncodings);
  const auto stats = statistics.find(t.TrackUID);
  j["statistics"] = StatisticsJson(stats == statistics.end() ? nullptr : stats->second);
  j["codec_candidates"] = CandidatesJson(t, context, cache);
  if (t.TrackType == 1) {
    j["video"] = {{"pixel_width", t.PixelWidth},
                  {"pixel_height", t.PixelHeight},
                  {"display_width", t.DisplayWidth},
                  {"display_height", t.DisplayHeight},
                  {"interlaced", x.FlagInterlaced},
                  {"field_order", x.FieldOrder},
                  {"stereo_mode", x.StereoMode},
                  {"crop",
                   {{"top", x.PixelCropTop}, {"bottom", x.PixelCropBottom}, {"left", x.PixelCropLeft},
                    {"right", x.PixelCropRight}}},
                  {"colour", ColourJson(x.Colour.get())}};
  } else if (t.TrackType == 2) {
    j["audio"] = {{"sampling_frequency", t.SamplingFrequency},
                  {"output_sampling_frequency", t.OutputSamplingFrequency},
                  {"channels", t.Channels},
                  {"bit_depth", t.BitDepth}};
  }
  return j;
}

TJson AttachmentJson(const TMatroskaAttachedFile& f) {
  return {{"file_name", OptText(f.FileName)},
          {"mime_type", OptText(f.FileMimeType)},
          {"description", OptText(f.FileDescription)},
          {"size", f.FileDataSize},
          {"uid", f.FileUID}};
}

// Atoms nest at most as deep as the parser reads them, which bounds this recursion.
template <class List>
void WriteChaptersJson(TJsonStream& J, const List& atoms) {
  J.BeginArray();
  for (const auto& atom : atoms) {
    J.BeginObject();
    J.Field("uid", atom.ChapterUID);
    J.Field("start_ns", atom.ChapterTimeStart);
    J.Field("end_ns", atom.ChapterTimeEnd);
    J.Field("start", ChapterTime(atom.ChapterTimeStart));
    J.Field("end", ChapterTime(atom.ChapterTimeEnd));
    J.Field("hidden", atom.ChapterFlagHidden != 0);
    J.Field("title", atom.Displays.empty() ? TJson() : OptText(atom.Displays.front().ChapString));
    J.Key("displays");
    J.BeginArray();
    for (const auto& d : atom.Displays) {
      J.BeginObject();
      J.Field("string", OptText(d.ChapString));
      J.Field("language", OptText(d.ChapLanguage));
      J.Field("country", OptText(d.ChapCountry));
      J.EndObject();
    }
    J.EndArray();
    J.Key("tracks");
    J.BeginArray();
    for (const auto number : atom.ChapterTrackNumbers) J.Value(static_cast<int64_t>(number));
    J.EndArray();
    J.Key("chapters");
    WriteChaptersJson(J, atom.ChapterAtoms);
    J.EndObject();
  }
  J.EndArray();
}

void WriteEditionJson(TJsonStream& J, const TMatroskaEditionEntry& e) {
  J.BeginObject();
  J.Field("uid", e.EditionUID);
  J.Field("hidden", e.EditionFlagHidden != 0);
  J.Field("default", e.EditionFlagDefault != 0);
  J.Field("managed", e.EditionManaged != 0);
  J.Key("chapters");
  WriteChaptersJson(J, e.ChapterAtoms);
  J.EndObject();
}

// Simple tags nest at most as deep as the parser reads them, which bounds this recursion.
void WriteSimpleTagsJson(TJsonStream& J, const std::vector<TMatroskaSimpleTag>& tags) {
  J.BeginArray();
  for (const auto& s : tags) {
    J.BeginObject();
    J.Field("name", OptText(s.TagName));
    J.Field("language", OptText(s.TagLanguage));
    J.Field("string", OptText(s.TagString));
    J.Key("simple_tags");
    WriteSimpleTagsJson(J, s.SimpleTags);
    J.EndObject();
  }
  J.EndArray();
}

void WriteTagJson(TJsonStream& J, const TMatroskaTag& tag) {
  const TMatroskaTagTarget& t = tag.Targets;
  J.BeginObject();
  J.Key("targets");
  J.BeginObject();
  J.Field("type_value", t.TargetTypeValue);
  J.Field("type", OptText(t.TargetType));
  J.Field("track_uid", t.TrackUID);
  J.Field("edition_uid", t.EditionUID);
  J.Field("chapter_uid", t.ChapterUID);
  J.Field("attachment_uid", t.AttachmentUID);
  J.EndObject();
  J.Key("simple_tags");
  WriteSimpleTagsJson(J, tag.SimpleTags);
  J.EndObject();
}

// Each record is written as it is made: only one is held as a tree at a time.
template <class Rec, class F>
void WriteListJson(TJsonStream& J, std::string_view Name, const std::deque<Rec>& records, F write) {
  J.Key(Name);
  J.BeginArray();
  for (const auto& record : records) write(record);
  J.EndArray();
}

// A part the media framework stopped before: an "error" object whose "text" says why.
void WriteStoppedJson(TJsonStream& J, const std::string& Stopped) {
  J.Key("error");
  J.BeginObject();
  J.Field("text", Text(Stopped));
  J.EndObject();
}

}  // namespace

void WriteRenderFileJson(TJsonStream& J, const TRenderFileCheck& Check) {
  J.Key("render_file");
  J.BeginObject();
  if (!Check.Stopped.empty()) {
    WriteStoppedJson(J, Check.Stopped);
    J.EndObject();
    return;
  }
  J.Field("code", static_cast<uint32_t>(Check.Result));
  J.Field("text", Text(Check.ResultText));
  // The verdict per track, from a framework that tells what became of each stream.
  if (Check.Streams.Told) {
    J.Key("tracks");
    J.BeginArray();
    for (const TTrackPlayback& t : Check.Tracks) {
      J.Value({{"number", t.TrackNumber},
               {"playback", {{"status", t.Status},
                             {"element", OptText(t.Element)},
                             {"element_name", OptText(t.ElementName)},
                             {"package", OptText(t.Package)},
                             {"text", Text(t.Text)}}}});
    }
    J.EndArray();
  }
  J.EndObject();
}

void WriteRenderingJson(TJsonStream& J, const TRenderRun& Run) {
  J.Key("rendering");
  J.BeginObject();
  if (!Run.Stopped.empty()) {
    WriteStoppedJson(J, Run.Stopped);
    J.EndObject();
    return;
  }
  // A run stopped before its end says why in its last step.
  const TRenderStep* finished = Run.Finished();
  J.Field("result", Text(finished         ? finished->ResultText
                         : Run.Steps.empty() ? std::string()
                                             : RenderStepText(Run.Steps.back())));
  J.Key("completed_paths");
  J.BeginArray();
  for (const std::string& path : Run.CompletedPaths()) J.Value(Text(path));
  J.EndArray();
  J.EndObject();
}

void WriteVerdictJson(TJsonStream& J, const TFileVerdict* Verdict) {
  if (!Verdict) {
    J.Field("verdict", nullptr);
    return;
  }
  TJson packages = TJson::array();
  for (const std::string& package : Verdict->Packages) packages.push_back(Text(package));
  TJson tracks = TJson::array();
  for (const TTrackShortfall& track : Verdict->Tracks) tracks.push_back(track.TrackNumber);
  J.Field("verdict", {{"status", Verdict->Status}, {"packages", std::move(packages)}, {"tracks", std::move(tracks)}});
}

TFileFacts FileFactsOf(const std::string& FileName, const TMatroskaParse* Parse) {
  TFileFacts facts = FileFactsOf(Parse);
  facts.Failure = JsonFailureMessage(FileName, Parse);
  return facts;
}

TJsonReader::TJsonReader(TJsonStream& J, const TAnalysisContext& Context, bool Render)
    : FJ(J), FContext(Context), FRender(Render) {
  FLog.GetStream().SetDrain([](std::string_view) {}, 64 * 1024);
}

void TJsonReader::FileParsed(const TMatroskaParse* Parse) {
  WriteJsonReport(FJ, FFileName, Parse, FContext);
  FFacts = FileFactsOf(FFileName, Parse);
}

void TJsonReader::FileDone() {
  if (!FRender) WriteVerdictJson(FJ, nullptr);
}

void TJsonReader::RenderFileChecked(const TRenderFileCheck& Check) {
  WriteRenderFileJson(FJ, Check);
  FCheck = Check;
}

void TJsonReader::Rendered(const TRenderRun& Run) {
  WriteRenderingJson(FJ, Run);
  const TFileVerdict verdict = FileVerdictOf(FFacts, FCheck, &Run);
  WriteVerdictJson(FJ, &verdict);
}

std::string DateUTCToIso(int64_t DateUTC) {
  std::string text = DateUTCToStr(DateUTC);
  const size_t space = text.find(' ');
  if (space == std::string::npos) return "";
  text[space] = 'T';
  text += 'Z';
  return text;
}

std::string JsonFailureMessage(const std::string& FileName, const TMatroskaParse* Parse) {
  if (!Parse) return "Can't open file " + FileName;
  if (Parse->Complete()) return "";
  return Parse->Reason.Message.empty() ? Parse->Failure : Parse->Reason.Message;
}

void WriteJsonReport(TJsonStream& J, const std::string& FileName, const TMatroskaParse* Parse,
                     const TAnalysisContext& Context) {
  J.Field("path", Text(FileName));
  const bool parsed = Parse && Parse->Complete();
  J.Field("parsed", parsed);
  if (!parsed) {
    const TParseFailure none;
    const TParseFailure& f = Parse ? Parse->Reason : none;
    const bool known = f.Position >= 0;
    J.Field("error", {{"message", Text(JsonFailureMessage(FileName, Parse))},
                      {"position", known ? TJson(f.Position) : TJson()},
                      {"element", OptText(f.Element)},
                      {"truncated", known && f.Truncated ? TJson({{"at", f.Position}, {"size", f.ElementSize}}) : TJson()}});
  }
  J.Field("file_size", Parse && Parse->FileSize >= 0 ? TJson(Parse->FileSize) : TJson());
  if (!Parse) return;
  // A file cut short still shows every record read to its end before the cut.
  const TMatroskaReader& reader = *Parse->Reader;
  J.Field("ebml", EbmlHeaderJson(reader.EbmlReader->Header));
  J.Field("segment", SegmentJson(reader.SegmentInfo));
  // One database search per codec, however many tracks share it, as in the text report.
  TCodecCandidateCache candidates;
  const TStatisticsTags statistics = FindStatisticsTags(reader.Tags);
  WriteListJson(J, "tracks", reader.Tracks,
                [&](const TMatroskaTrackEntry& t) { J.Value(TrackJson(t, Context, candidates, statistics)); });
  WriteListJson(J, "attachments", reader.Attachments, [&](const TMatroskaAttachedFile& f) { J.Value(AttachmentJson(f)); });
  WriteListJson(J, "editions", reader.Editions, [&](const TMatroskaEditionEntry& e) { WriteEditionJson(J, e); });
  WriteListJson(J, "tags", reader.Tags, [&](const TMatroskaTag& t) { WriteTagJson(J, t); });
}

}  // namespace ambrel
