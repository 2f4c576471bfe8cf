#include "app/analysis/MatroskaReport.h"

#include <algorithm>
#include <exception>

#include "app/analysis/CodecCandidates.h"
#include "app/analysis/FriendlyNames.h"
#include "base/NumberFormat.h"
#include "base/FloatFormat.h"
#include "matroska/MatroskaHelper.h"
#include "matroska/ValueFormat.h"
#include "base/TextUtil.h"

namespace ambrel {

namespace {

// A chapter time's milliseconds, reduced to 32 bits.
uint64_t ChapterMs(int64_t Nanoseconds) { return static_cast<uint64_t>(Nanoseconds / 1000000); }

// The codec key comes from the file, so it is shown verbatim.
std::string FriendlyNameOf(const TFriendlyNames& names, const std::string& key) {
  return names.LookupFriendlyName(key, Verbatim(key));
}

// An unordered comparison (a NaN on either side) counts as equal.
bool Differ(double a, double b) { return a < b || a > b; }

void WriteVideo(const TMatroskaTrackEntry& t, TLogWriter& W) {
  W.WriteListField("Pixel Width", std::to_string(t.PixelWidth));
  W.WriteListField("Pixel Height", std::to_string(t.PixelHeight));
  if (t.DisplayWidth != t.PixelWidth || t.DisplayHeight != t.PixelHeight) {
    W.WriteListField("Display Width", std::to_string(t.DisplayWidth));
    W.WriteListField("Display Height", std::to_string(t.DisplayHeight));
  }
}

void WriteAudio(const TMatroskaTrackEntry& t, TLogWriter& W) {
  W.WriteListField("Sampling Frequency", FloatToStrGeneral(t.SamplingFrequency));
  if (Differ(t.OutputSamplingFrequency, t.SamplingFrequency)) {
    W.WriteListField("Output Sampling Frequency", FloatToStrGeneral(t.OutputSamplingFrequency));
  }
  W.WriteListField("Channels", std::to_string(t.Channels));
  if (t.BitDepth != 0) W.WriteListField("Bit Depth", std::to_string(t.BitDepth));
}

void WriteTrack(const TMatroskaTrackEntry& t, int N, TLogWriter& W, const TAnalysisContext& context,
                TCodecCandidateCache& candidates) {
  const TFriendlyNames& names = context.FriendlyNames;
  W.WriteField("Track " + std::to_string(N), TrackTypeToStr(t.TrackType));
  W.BeginList();
  W.WriteListField("Codec", FriendlyNameOf(names, t.CodecID));
  if (IsVfwFourccTrack(&t)) W.WriteListField("Fourcc", FriendlyNameOf(names, t.Fourcc));
  if (IsAcmTrack(&t) && t.HasFormatTag) W.WriteListField("wFormatTag", names.ReportFormatTagName(static_cast<uint16_t>(t.FormatTag)));
  WriteCodecCandidates(t, W, context, &candidates);
  W.WriteListField("Name", Verbatim(t.Name));
  if (!t.Language.empty()) {
    // The name lookup reads the code as a C string: it stops at a zero byte.
    std::string language = LanguageCodeToName(t.Language.c_str());
    language += " (";
    language += Verbatim(t.Language);
    language += ')';
    W.WriteListField("Language", language);
  }
  if (t.TrackType == 1) {
    WriteVideo(t, W);
  } else if (t.TrackType == 2) {
    WriteAudio(t, W);
  }
  W.EndList();
}

void WriteSegment(const TMatroskaReader& reader, TLogWriter& W, const TAnalysisContext& context) {
  const TMatroskaSegmentInfo& info = reader.SegmentInfo;
  W.WriteField("File complete", info.Complete ? "yes" : "no (maybe)");
  W.WriteField("Duration", MillisecondsToStr(ambrel::RoundLow64(info.Duration)));
  W.WriteField("Title", Verbatim(info.Title));
  W.WriteField("Writing application", Verbatim(info.WritingApp));
  W.WriteField("Muxing application", Verbatim(info.MuxingApp));
  if (info.HasDateUTC) W.WriteField("Date", DateUTCToStr(info.DateUTC));
  W.WriteField("Tracks", std::to_string(reader.Tracks.size()));
  int n = 0;
  TCodecCandidateCache candidates;
  for (const auto& track : reader.Tracks) WriteTrack(track, ++n, W, context, candidates);
  for (const auto& file : reader.Attachments) {
    W.WriteField("Attached file", Verbatim(file.FileName) + " (" + FormatFileSize(file.FileDataSize) + ")");
  }
  WriteChapters(reader.ChapterOutline, W);
  W.WriteSeparator();
}

}  // namespace

std::string FormatFileSize(int64_t Size) {
  if (Size < 1024) return std::to_string(Size) + " bytes";
  const double size = static_cast<double>(Size);
  if (Size < 0x100000) return FloatToStrFixed(size / 1024, 2) + " KB";
  if (Size < 0x40000000) return FloatToStrFixed(size / 1024 / 1024, 2) + " MB";
  return FloatToStrFixed(size / 1024 / 1024 / 1024, 2) + " GB";
}

std::string ChapterTime(int64_t Nanoseconds) { return MillisecondsToStr(ChapterMs(Nanoseconds)); }

void WriteChapters(const TChapterOutline& Outline, TLogWriter& W) {
  std::string line;  // the item text, built in place for every atom
  int open = 0;      // lists open: the depth of the atom written last
  int edition = 0;
  for (const TChapterOutlineEntry& entry : Outline.Entries()) {
    // An atom's list stays open over its nested atoms and closes before its next sibling.
    for (const int depth = std::max<int>(entry.Depth, 1); open >= depth; --open) W.EndList();
    if (entry.IsEdition()) {
      W.WriteField("Edition entry", std::to_string(++edition));
      continue;
    }
    W.BeginList();
    ++open;
    line.clear();
    AppendMilliseconds(line, ChapterMs(entry.Start));
    line += " - ";
    AppendMilliseconds(line, ChapterMs(entry.End));
    if (entry.HasTitle()) {
      line += ' ';
      AppendVerbatim(line, Outline.Title(entry));
    }
    if (entry.Hidden()) line += " (hidden)";
    W.WriteListItem(line);
  }
  for (; open > 0; --open) W.EndList();
}

void WriteMatroskaReport(const TMatroskaParse& Parse, TLogWriter& Writer, const TAnalysisContext& Context) {
  Writer.WriteField("File size", FormatFileSize(Parse.FileSize));
  if (!Parse.Error.empty()) {
    Writer.WriteLine(Verbatim(Parse.Error));
    return;
  }
  if (!Parse.ClusterFound && !Parse.Cancelled) return;
  WriteSegment(*Parse.Reader, Writer, Context);
  if (Parse.Cancelled) Writer.WriteLine(kAnalysisCancelled);
}

}  // namespace ambrel
