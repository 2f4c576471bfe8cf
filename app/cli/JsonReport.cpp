#include "app/cli/JsonReport.h"

#include "app/analysis/CodecCandidates.h"
#include "app/analysis/FriendlyNames.h"
#include "app/analysis/MatroskaReport.h"
#include "base/NumberFormat.h"
#include "dshow/DShowHelper.h"
#include "dshow/DShowMyRender.h"
#include "dshow/DShowSections.h"
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

TJson EbmlHeaderJson(const TEbmlHeader& h) {
  return {{"version", h.EBMLVersion},
          {"read_version", h.EBMLReadVersion},
          {"max_id_length", h.EBMLMaxIDLength},
          {"max_size_length", h.EBMLMaxSizeLength},
          {"doc_type", Text(h.DocType)},
          {"doc_type_version", h.DocTypeVersion},
          {"doc_type_read_version", h.DocTypeReadVersion}};
}

TJson SegmentJson(const TMatroskaSegmentInfo& info) {
  TJson j;
  j["complete"] = info.Complete;
  // Not finite durations have no JSON number: they are written as null.
  j["duration_ms"] = info.Duration;
  j["duration"] = MillisecondsToStr(RoundLow64(info.Duration));
  j["timecode_scale"] = info.TimecodeScale;
  j["title"] = Text(info.Title);
  j["muxing_app"] = Text(info.MuxingApp);
  j["writing_app"] = Text(info.WritingApp);
  const std::string date = info.HasDateUTC ? DateUTCToIso(info.DateUTC) : std::string();
  j["date"] = date.empty() ? TJson() : TJson(date);
  return j;
}

TJson TrackJson(const TMatroskaTrackEntry& t, const TAnalysisContext& context, TCodecCandidateCache& cache) {
  const TFriendlyNames& names = context.FriendlyNames;
  TJson j;
  j["number"] = t.TrackNumber;
  j["uid"] = t.TrackUID;
  j["type"] = t.TrackType;
  j["type_name"] = TrackTypeToStr(t.TrackType);
  j["codec_id"] = Text(t.CodecID);
  j["codec"] = Friendly(names, t.CodecID);
  if (IsVfwFourccTrack(&t)) {
    j["fourcc"] = Text(t.Fourcc);
    j["fourcc_name"] = Friendly(names, t.Fourcc);
  }
  if (IsAcmTrack(&t) && t.HasFormatTag) {
    j["format_tag"] = t.FormatTag;
    j["format_tag_name"] = Text(names.LookupFormatTagName(static_cast<uint16_t>(t.FormatTag)));
  }
  j["codec_name"] = Text(t.CodecName);
  j["name"] = Text(t.Name);
  j["language"] = Text(t.Language);
  j["language_name"] = t.Language.empty() ? std::string() : LanguageCodeToName(t.Language.c_str());
  j["enabled"] = t.FlagEnabled != 0;
  j["default"] = t.FlagDefault != 0;
  j["lacing"] = t.FlagLacing != 0;
  j["default_duration_ns"] = t.DefaultDuration;
  TJson candidates = TJson::array();
  for (const TCodecCandidate& c : FindCodecCandidates(t, context, &cache)) {
    candidates.push_back({{"name", Text(c.Name)},
                          {"installed", Text(c.Installed)},
                          {"install_comments", Text(c.InstallComments)},
                          {"link", Text(c.Link)}});
  }
  j["codec_candidates"] = std::move(candidates);
  if (t.TrackType == 1) {
    j["video"] = {{"pixel_width", t.PixelWidth},
                  {"pixel_height", t.PixelHeight},
                  {"display_width", t.DisplayWidth},
                  {"display_height", t.DisplayHeight}};
  } else if (t.TrackType == 2) {
    j["audio"] = {{"sampling_frequency", t.SamplingFrequency},
                  {"output_sampling_frequency", t.OutputSamplingFrequency},
                  {"channels", t.Channels},
                  {"bit_depth", t.BitDepth}};
  }
  return j;
}

TJson AttachmentJson(const TMatroskaAttachedFile& f) {
  return {{"file_name", Text(f.FileName)},
          {"mime_type", Text(f.FileMimeType)},
          {"description", Text(f.FileDescription)},
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

// Each record is written as it is made: only one is held as a tree at a time.
template <class Rec, class F>
void WriteListJson(TJsonStream& J, std::string_view Name, const std::deque<Rec>& records, F write) {
  J.Key(Name);
  J.BeginArray();
  for (const auto& record : records) write(record);
  J.EndArray();
}

// A line of the rendering narrative as plain text: markup removed, file texts unwrapped,
// the elapsed-time prefix ("123> ") dropped.
std::string PlainRenderLine(const std::string& line) {
  TTxtWriter plain;
  plain.WriteLine(line);
  std::string_view text = plain.GetStream().Bytes();
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
  const size_t prompt = text.find("> ");
  if (prompt != std::string_view::npos && prompt > 0 &&
      text.substr(0, prompt).find_first_not_of("0123456789") == std::string_view::npos) {
    text.remove_prefix(prompt + 2);
  }
  return Text(text);
}

// Reads the detailed rendering's lines, given to Take one by one, into the document.
class TRenderingResult {
 public:
  void Take(const std::string& Line) {
    FLast = PlainRenderLine(Line);
    if (FLast.starts_with(kFinished)) FResult = FLast.substr(kFinished.size());
    if (FLast.starts_with(kCompleted)) FPaths.push_back(FLast.substr(kCompleted.size()));
  }
  void Write(TJsonStream& J) {
    J.Field("rendering", {{"result", FResult.is_null() ? TJson(FLast) : FResult}, {"completed_paths", std::move(FPaths)}});
  }

 private:
  static constexpr std::string_view kFinished = "MyRenderFile finished : ";
  static constexpr std::string_view kCompleted = "Completed path : ";
  TJson FResult;  // null when the run stopped before its end (its last line says why)
  TJson FPaths = TJson::array();
  std::string FLast;
};

void WriteRenderFile(TJsonStream& J, media::IMediaFramework& Fw, media::HRESULT Hr) {
  J.Field("render_file", {{"code", static_cast<uint32_t>(Hr)}, {"text", Text(GetErrorText(Fw, Hr))}});
}

}  // namespace

void WriteRenderResults(TJsonStream& J, const std::string& FileName, media::IMediaFramework& Fw,
                        TDetailedRenderingAhead* Ahead) {
  WriteRenderFile(J, Fw, TryRenderFile(Fw, FileName));
  TRenderingResult rendering;
  const auto take = [&rendering](const std::string& Line) { rendering.Take(Line); };
  if (Ahead) {
    Ahead->TakeLines(take);
  } else {
    TDShowMyRender render(Fw);
    render.FOnLog = take;
    render.MyRenderFile(FileName);
  }
  rendering.Write(J);
}

void WriteRenderResults(TJsonStream& J, media::IMediaFramework& Fw, media::HRESULT Hr,
                        const std::vector<std::string>& Lines) {
  WriteRenderFile(J, Fw, Hr);
  TRenderingResult rendering;
  for (const std::string& line : Lines) rendering.Take(line);
  rendering.Write(J);
}

std::string DateUTCToIso(int64_t DateUTC) {
  std::string text = DateUTCToStr(DateUTC);
  const size_t space = text.find(' ');
  if (space == std::string::npos) return "";
  text[space] = 'T';
  text += 'Z';
  return text;
}

bool JsonParsed(const TMatroskaParse* Parse) {
  return Parse && Parse->ClusterFound && !Parse->Cancelled && Parse->Error.empty();
}

void WriteJsonReport(TJsonStream& J, const std::string& FileName, const TMatroskaParse* Parse,
                     std::string_view ParsingLog, const TAnalysisContext& Context) {
  J.Field("path", Text(FileName));
  const bool parsed = JsonParsed(Parse);
  J.Field("parsed", parsed);
  if (!parsed) J.Field("error", LastLine(ParsingLog));
  J.Field("file_size", Parse && Parse->FileSize >= 0 ? TJson(Parse->FileSize) : TJson());
  if (!parsed) return;
  const TMatroskaReader& reader = *Parse->Reader;
  J.Field("ebml", EbmlHeaderJson(reader.EbmlReader->Header));
  J.Field("segment", SegmentJson(reader.SegmentInfo));
  // One database search per codec, however many tracks share it, as in the text report.
  TCodecCandidateCache candidates;
  WriteListJson(J, "tracks", reader.Tracks,
                [&](const TMatroskaTrackEntry& t) { J.Value(TrackJson(t, Context, candidates)); });
  WriteListJson(J, "attachments", reader.Attachments, [&](const TMatroskaAttachedFile& f) { J.Value(AttachmentJson(f)); });
  WriteListJson(J, "editions", reader.Editions, [&](const TMatroskaEditionEntry& e) { WriteEditionJson(J, e); });
  WriteListJson(J, "tags", reader.Tags, [&](const TMatroskaTag& t) { WriteTagJson(J, t); });
}

}  // namespace ambrel
