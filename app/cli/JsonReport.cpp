#include "app/cli/JsonReport.h"

#include "app/analysis/CodecCandidates.h"
#include "app/analysis/FriendlyNames.h"
#include "app/analysis/MatroskaReport.h"
#include "base/NumberFormat.h"
#include "matroska/ValueFormat.h"
#include "report/LogWriter.h"
#include "base/TextUtil.h"

namespace ambrel {

namespace {

std::string Text(std::string_view bytes) { return ValidUtf8(bytes); }

// The friendly name the text report shows for a key read from the file.
std::string Friendly(const TFriendlyNames& names, const std::string& key) {
  return Text(names.LookupFriendlyName(key, Text(key)));
}

std::string LastLine(std::string_view log) {
  while (!log.empty() && (log.back() == '\n' || log.back() == '\r')) log.remove_suffix(1);
  const size_t start = log.find_last_of("\r\n");
  return Text(TrimBlank(start == std::string_view::npos ? log : log.substr(start + 1)));
}

void WriteEbmlHeaderJson(TJsonStream& J, const TEbmlHeader& h) {
  J.BeginObject();
  J.Field("version", h.EBMLVersion);
  J.Field("read_version", h.EBMLReadVersion);
  J.Field("max_id_length", h.EBMLMaxIDLength);
  J.Field("max_size_length", h.EBMLMaxSizeLength);
  J.Field("doc_type", Text(h.DocType));
  J.Field("doc_type_version", h.DocTypeVersion);
  J.Field("doc_type_read_version", h.DocTypeReadVersion);
  J.EndObject();
}

void WriteSegmentJson(TJsonStream& J, const TMatroskaSegmentInfo& info) {
  J.BeginObject();
  J.Field("complete", info.Complete);
  // Not finite durations have no JSON number: they are written as null.
  J.Field("duration_ms", info.Duration);
  J.Field("duration", MillisecondsToStr(RoundLow32(info.Duration)));
  J.Field("timecode_scale", info.TimecodeScale);
  J.Field("title", Text(info.Title));
  J.Field("muxing_app", Text(info.MuxingApp));
  J.Field("writing_app", Text(info.WritingApp));
  const std::string date = info.HasDateUTC ? DateUTCToIso(info.DateUTC) : std::string();
  J.Key("date");
  if (date.empty())
    J.Value(nullptr);
  else
    J.Value(date);
  J.EndObject();
}

void WriteTrackJson(TJsonStream& J, const TMatroskaTrackEntry& t, const TAnalysisContext& context,
                    TCodecCandidateCache& cache) {
  const TFriendlyNames& names = context.FriendlyNames;
  J.BeginObject();
  J.Field("number", t.TrackNumber);
  J.Field("uid", t.TrackUID);
  J.Field("type", t.TrackType);
  J.Field("type_name", TrackTypeToStr(t.TrackType));
  J.Field("codec_id", Text(t.CodecID));
  J.Field("codec", Friendly(names, t.CodecID));
  if (IsVfwFourccTrack(&t)) {
    J.Field("fourcc", Text(t.Fourcc));
    J.Field("fourcc_name", Friendly(names, t.Fourcc));
  }
  if (IsAcmTrack(&t) && t.HasFormatTag) {
    J.Field("format_tag", t.FormatTag);
    J.Field("format_tag_name", Text(names.LookupFormatTagName(static_cast<uint16_t>(t.FormatTag))));
  }
  J.Field("codec_name", Text(t.CodecName));
  J.Field("name", Text(t.Name));
  J.Field("language", Text(t.Language));
  J.Field("language_name", t.Language.empty() ? std::string() : LanguageCodeToName(t.Language.c_str()));
  J.Field("enabled", t.FlagEnabled != 0);
  J.Field("default", t.FlagDefault != 0);
  J.Field("lacing", t.FlagLacing != 0);
  J.Field("default_duration_ns", t.DefaultDuration);
  J.Key("codec_candidates");
  J.BeginArray();
  for (const TCodecCandidate& c : FindCodecCandidates(t, context, &cache)) {
    J.BeginObject();
    J.Field("name", Text(c.Name));
    J.Field("installed", Text(c.Installed));
    J.Field("install_comments", Text(c.InstallComments));
    J.Field("link", Text(c.Link));
    J.EndObject();
  }
  J.EndArray();
  if (t.TrackType == 1) {
    J.Key("video");
    J.BeginObject();
    J.Field("pixel_width", t.PixelWidth);
    J.Field("pixel_height", t.PixelHeight);
    J.Field("display_width", t.DisplayWidth);
    J.Field("display_height", t.DisplayHeight);
    J.EndObject();
  } else if (t.TrackType == 2) {
    J.Key("audio");
    J.BeginObject();
    J.Field("sampling_frequency", t.SamplingFrequency);
    J.Field("output_sampling_frequency", t.OutputSamplingFrequency);
    J.Field("channels", t.Channels);
    J.Field("bit_depth", t.BitDepth);
    J.EndObject();
  }
  J.EndObject();
}

void WriteAttachmentJson(TJsonStream& J, const TMatroskaAttachedFile& f) {
  J.BeginObject();
  J.Field("file_name", Text(f.FileName));
  J.Field("mime_type", Text(f.FileMimeType));
  J.Field("description", Text(f.FileDescription));
  J.Field("size", f.FileDataSize);
  J.Field("uid", f.FileUID);
  J.EndObject();
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
    J.Key("title");
    if (atom.Displays.empty())
      J.Value(nullptr);
    else
      J.Value(Text(atom.Displays.front().ChapString));
    J.Key("displays");
    J.BeginArray();
    for (const auto& d : atom.Displays) {
      J.BeginObject();
      J.Field("string", Text(d.ChapString));
      J.Field("language", Text(d.ChapLanguage));
      J.Field("country", Text(d.ChapCountry));
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
    J.Field("name", Text(s.TagName));
    J.Field("language", Text(s.TagLanguage));
    J.Field("string", Text(s.TagString));
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
  J.Field("type", Text(t.TargetType));
  J.Field("track_uid", t.TrackUID);
  J.Field("edition_uid", t.EditionUID);
  J.Field("chapter_uid", t.ChapterUID);
  J.Field("attachment_uid", t.AttachmentUID);
  J.EndObject();
  J.Key("simple_tags");
  WriteSimpleTagsJson(J, tag.SimpleTags);
  J.EndObject();
}

// Each record is written as it is made.
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

TJsonReader::TJsonReader(TJsonStream& J, const TAnalysisContext& Context) : FJ(J), FContext(Context) {
  FLog.GetStream().SetDrain([](std::string_view) {}, 64 * 1024);
}

std::string DateUTCToIso(int64_t DateUTC) {
  std::string text = DateUTCToStr(DateUTC);
  const size_t space = text.find(' ');
  if (space == std::string::npos) return "";
  text[space] = 'T';
  text += 'Z';
  return text;
}

void WriteJsonReport(TJsonStream& J, const std::string& FileName, const TMatroskaParse* Parse,
                     const TAnalysisContext& Context) {
  J.Field("path", Text(FileName));
  const bool parsed = Parse && Parse->Complete();
  J.Field("parsed", parsed);
  // The error is the last line of its message, as the parsing log ends with it.
  if (!parsed) J.Field("error", LastLine(Parse ? Parse->Failure : "Can't open file " + FileName));
  J.Key("file_size");
  if (Parse && Parse->FileSize >= 0)
    J.Value(Parse->FileSize);
  else
    J.Value(nullptr);
  if (!parsed) return;
  const TMatroskaReader& reader = *Parse->Reader;
  J.Key("ebml");
  WriteEbmlHeaderJson(J, reader.EbmlReader->Header);
  J.Key("segment");
  WriteSegmentJson(J, reader.SegmentInfo);
  // One database search per codec, however many tracks share it, as in the text report.
  TCodecCandidateCache candidates;
  WriteListJson(J, "tracks", reader.Tracks,
                [&](const TMatroskaTrackEntry& t) { WriteTrackJson(J, t, Context, candidates); });
  WriteListJson(J, "attachments", reader.Attachments, [&](const TMatroskaAttachedFile& f) { WriteAttachmentJson(J, f); });
  WriteListJson(J, "editions", reader.Editions, [&](const TMatroskaEditionEntry& e) { WriteEditionJson(J, e); });
  WriteListJson(J, "tags", reader.Tags, [&](const TMatroskaTag& t) { WriteTagJson(J, t); });
}

}  // namespace ambrel
