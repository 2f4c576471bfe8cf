#include "app/JsonReport.h"

#include "app/CodecCandidates.h"
#include "app/FriendlyNames.h"
#include "app/MatroskaReport.h"
#include "app/NumberFormat.h"
#include "dshow/DShowHelper.h"
#include "dshow/DShowMyRender.h"
#include "dshow/DShowSections.h"
#include "matroska/ValueFormat.h"
#include "report/LogWriter.h"
#include "report/TextUtil.h"

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
  j["duration"] = MillisecondsToStr(RoundLow32(info.Duration));
  j["timecode_scale"] = info.TimecodeScale;
  j["title"] = Text(info.Title);
  j["muxing_app"] = Text(info.MuxingApp);
  j["writing_app"] = Text(info.WritingApp);
  const std::string date = info.HasDateUTC ? DateUTCToIso(info.DateUTC) : std::string();
  j["date"] = date.empty() ? TJson() : TJson(date);
  return j;
}

TJson TrackJson(const TMatroskaTrackEntry& t, const TAnalysisContext& context) {
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
  for (const TCodecCandidate& c : FindCodecCandidates(t, context)) {
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
TJson ChaptersJson(const List& atoms) {
  TJson list = TJson::array();
  for (const auto& atom : atoms) {
    TJson j;
    j["uid"] = atom.ChapterUID;
    j["start_ns"] = atom.ChapterTimeStart;
    j["end_ns"] = atom.ChapterTimeEnd;
    j["start"] = ChapterTime(atom.ChapterTimeStart);
    j["end"] = ChapterTime(atom.ChapterTimeEnd);
    j["hidden"] = atom.ChapterFlagHidden != 0;
    j["title"] = atom.Displays.empty() ? TJson() : TJson(Text(atom.Displays.front().ChapString));
    TJson displays = TJson::array();
    for (const auto& d : atom.Displays) {
      displays.push_back({{"string", Text(d.ChapString)},
                          {"language", Text(d.ChapLanguage)},
                          {"country", Text(d.ChapCountry)}});
    }
    j["displays"] = std::move(displays);
    j["tracks"] = TJson(std::vector<int64_t>(atom.ChapterTrackNumbers.begin(), atom.ChapterTrackNumbers.end()));
    j["chapters"] = ChaptersJson(atom.ChapterAtoms);
    list.push_back(std::move(j));
  }
  return list;
}

TJson EditionJson(const TMatroskaEditionEntry& e) {
  return {{"uid", e.EditionUID},
          {"hidden", e.EditionFlagHidden != 0},
          {"default", e.EditionFlagDefault != 0},
          {"managed", e.EditionManaged != 0},
          {"chapters", ChaptersJson(e.ChapterAtoms)}};
}

TJson SimpleTagsJson(const std::vector<TMatroskaSimpleTag>& tags) {
  TJson list = TJson::array();
  for (const auto& s : tags) {
    list.push_back({{"name", Text(s.TagName)},
                    {"language", Text(s.TagLanguage)},
                    {"string", Text(s.TagString)},
                    {"simple_tags", SimpleTagsJson(s.SimpleTags)}});
  }
  return list;
}

TJson TagJson(const TMatroskaTag& tag) {
  const TMatroskaTagTarget& t = tag.Targets;
  return {{"targets",
           {{"type_value", t.TargetTypeValue},
            {"type", Text(t.TargetType)},
            {"track_uid", t.TrackUID},
            {"edition_uid", t.EditionUID},
            {"chapter_uid", t.ChapterUID},
            {"attachment_uid", t.AttachmentUID}}},
          {"simple_tags", SimpleTagsJson(tag.SimpleTags)}};
}

template <class Rec, class F>
TJson ListJson(const std::deque<Rec>& records, F toJson) {
  TJson list = TJson::array();
  for (const auto& record : records) list.push_back(toJson(record));
  return list;
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

}  // namespace

namespace {

// Reads the detailed rendering's lines, given to Take one by one, into the document.
class TRenderingResult {
 public:
  void Take(const std::string& Line) {
    FLast = PlainRenderLine(Line);
    if (FLast.starts_with(kFinished)) FResult = FLast.substr(kFinished.size());
    if (FLast.starts_with(kCompleted)) FPaths.push_back(FLast.substr(kCompleted.size()));
  }
  TJson Json() {
    return {{"result", FResult.is_null() ? TJson(FLast) : FResult}, {"completed_paths", std::move(FPaths)}};
  }

 private:
  static constexpr std::string_view kFinished = "MyRenderFile finished : ";
  static constexpr std::string_view kCompleted = "Completed path : ";
  TJson FResult;  // null when the run stopped before its end (its last line says why)
  TJson FPaths = TJson::array();
  std::string FLast;
};

void AddRenderFile(media::IMediaFramework& Fw, TJson& Document, media::HRESULT Hr) {
  Document["render_file"] = {{"code", static_cast<uint32_t>(Hr)}, {"text", Text(GetErrorText(Fw, Hr))}};
}

}  // namespace

void AddRenderResults(const std::string& FileName, media::IMediaFramework& Fw, TJson& Document,
                      TDetailedRenderingAhead* Ahead) {
  AddRenderFile(Fw, Document, TryRenderFile(Fw, FileName));
  TRenderingResult rendering;
  const auto take = [&rendering](const std::string& Line) { rendering.Take(Line); };
  if (Ahead) {
    Ahead->TakeLines(take);
  } else {
    TDShowMyRender render(Fw);
    render.FOnLog = take;
    render.MyRenderFile(FileName);
  }
  Document["rendering"] = rendering.Json();
}

void AddRenderResults(media::IMediaFramework& Fw, TJson& Document, media::HRESULT Hr,
                      const std::vector<std::string>& Lines) {
  AddRenderFile(Fw, Document, Hr);
  TRenderingResult rendering;
  for (const std::string& line : Lines) rendering.Take(line);
  Document["rendering"] = rendering.Json();
}

std::string DateUTCToIso(int64_t DateUTC) {
  std::string text = DateUTCToStr(DateUTC);
  const size_t space = text.find(' ');
  if (space == std::string::npos) return "";
  text[space] = 'T';
  text += 'Z';
  return text;
}

TJson BuildJsonReport(const std::string& FileName, const TMatroskaParse* Parse, std::string_view ParsingLog,
                      const TAnalysisContext& Context) {
  TJson j;
  j["path"] = Text(FileName);
  const bool parsed = Parse && Parse->ClusterFound && !Parse->Cancelled && Parse->Error.empty();
  j["parsed"] = parsed;
  if (!parsed) j["error"] = LastLine(ParsingLog);
  j["file_size"] = Parse && Parse->FileSize >= 0 ? TJson(Parse->FileSize) : TJson();
  if (!parsed) return j;
  const TMatroskaReader& reader = *Parse->Reader;
  j["ebml"] = EbmlHeaderJson(reader.EbmlReader->Header);
  j["segment"] = SegmentJson(reader.SegmentInfo);
  j["tracks"] = ListJson(reader.Tracks, [&](const TMatroskaTrackEntry& t) { return TrackJson(t, Context); });
  j["attachments"] = ListJson(reader.Attachments, AttachmentJson);
  j["editions"] = ListJson(reader.Editions, EditionJson);
  j["tags"] = ListJson(reader.Tags, TagJson);
  return j;
}

std::string JsonLine(const TJson& Document) {
  // Texts are already well-formed; replacing keeps a stray byte from throwing.
  return Document.dump(-1, ' ', false, TJson::error_handler_t::replace) + "\n";
}

}  // namespace ambrel
