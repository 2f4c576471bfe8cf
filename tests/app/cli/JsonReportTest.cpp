// The JSON documents: read back by a JSON parser, checked against the text report of the
// same files, and kept well-formed whatever bytes the file holds.
#include <gtest/gtest.h>

#include <filesystem>
#include <algorithm>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "TempDir.h"
#include "CliInProcess.h"
#include "app/cli/JsonReport.h"
#include "app/cli/LanguageNames.h"
#include "base/TextUtil.h"
#include "matroska/EbmlBuilder.h"

using namespace ambrel;
namespace fs = std::filesystem;
using json = nlohmann::json;

namespace {

const fs::path kData = AMBREL_TEST_DATA_DIR;

std::vector<std::string> SampleFiles() {
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(kData)) {
    const std::string ext = entry.path().extension().string();
    if (ext == ".mkv" || ext == ".mka" || ext == ".mks" || ext == ".webm") files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

bool Has(const std::string& text, const std::string& line) { return text.find(line) != std::string::npos; }

}  // namespace

TEST(JsonReport, SampleDocumentsAgreeWithTheTextReport) {
  const std::vector<std::string> files = SampleFiles();
  ASSERT_GE(files.size(), 10u);
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    const TCliResult jsonRun = RunCli({"--no-render", "--json", file});
    const TCliResult textRun = RunCli({"--no-render", file});
    EXPECT_EQ(jsonRun.status, textRun.status);
    ASSERT_EQ(jsonRun.out.back(), '\n');
    ASSERT_EQ(jsonRun.out.find('\n'), jsonRun.out.size() - 1) << "one line per document";
    const json doc = json::parse(jsonRun.out);
    const std::string& text = textRun.out;
    EXPECT_EQ(doc["path"], file);
    EXPECT_EQ(doc["parsed"], textRun.status == 0);
    if (!doc["parsed"]) {
      EXPECT_FALSE(doc["error"]["message"].get<std::string>().empty());
      continue;
    }
    const json& segment = doc["segment"];
    EXPECT_TRUE(Has(text, "File complete : " + std::string(segment["complete"] ? "yes" : "no (maybe)")));
    // Without a Duration the text report shows 0 and the document null.
    const std::string duration = segment["duration"].is_null() ? "00:00:00.000" : segment["duration"].get<std::string>();
    EXPECT_TRUE(Has(text, "Duration : " + duration + "\r\n"));
    // The text report leaves empty fields out.
    if (!segment["title"].is_null()) {
      EXPECT_TRUE(Has(text, "Title : " + segment["title"].get<std::string>() + "\r\n"));
    }
    if (!segment["writing_app"].is_null()) {
      EXPECT_TRUE(Has(text, "Writing application : " + segment["writing_app"].get<std::string>()));
    }
    EXPECT_EQ(segment["duration_ms"].is_null(), segment["duration"].is_null());
    EXPECT_TRUE(Has(text, "Tracks : " + std::to_string(doc["tracks"].size()) + "\r\n"));
    for (const json& track : doc["tracks"]) {
      if (!track["codec"].is_null()) {
        EXPECT_TRUE(Has(text, "Codec : " + track["codec"].get<std::string>() + "\r\n")) << track["codec"];
      }
      if (!track["language"].is_null()) {
        EXPECT_TRUE(Has(text, " (" + track["language"].get<std::string>() + ")"));
      }
      if (track.contains("video")) {
        EXPECT_TRUE(Has(text, "Pixel Width : " + std::to_string(track["video"]["pixel_width"].get<int>())));
      }
      if (track.contains("audio")) {
        EXPECT_TRUE(Has(text, "Channels : " + std::to_string(track["audio"]["channels"].get<int>())));
      }
      if (track.contains("fourcc_name")) {
        EXPECT_TRUE(Has(text, "Fourcc : " + track["fourcc_name"].get<std::string>()));
      }
      if (track.contains("format_tag_name")) {
        EXPECT_TRUE(Has(text, "wFormatTag : " + track["format_tag_name"].get<std::string>()));
      }
    }
    for (const json& file : doc["attachments"]) EXPECT_TRUE(Has(text, "Attached file : " + file["file_name"].get<std::string>()));
    size_t editions = 0;
    for (size_t p = 0; (p = text.find("Edition entry : ", p)) != std::string::npos; ++p) ++editions;
    EXPECT_EQ(doc["editions"].size(), editions);
    for (const json& edition : doc["editions"]) {
      for (const json& atom : edition["chapters"]) {
        EXPECT_TRUE(Has(text, atom["start"].get<std::string>() + " - " + atom["end"].get<std::string>()));
        EXPECT_LE(atom["start_ns"].get<int64_t>(), atom["end_ns"].get<int64_t>());
      }
    }
  }
}

TEST(JsonReport, SampleDetailsAreTypedValues) {
  const json doc = json::parse(RunCli({"--no-render", "--json", (kData / "sample.mkv").string()}).out);
  EXPECT_EQ(doc["ebml"]["doc_type"], "matroska");
  EXPECT_TRUE(doc["file_size"].is_number_integer());
  EXPECT_EQ(doc["segment"]["duration_ms"], 1033.0);
  EXPECT_EQ(doc["segment"]["date"], "2021-06-15T12:34:56.000Z");
  const json& audio = doc["tracks"][1];
  EXPECT_EQ(audio["type_name"], "Audio");
  EXPECT_EQ(audio["audio"]["sampling_frequency"], 22050.0);
  EXPECT_EQ(audio["name"], "Tonspur f\xC3\xBCr Tests");
  EXPECT_TRUE(doc["tags"].is_array());
}

TEST(JsonReport, FilesThatDoNotParseSayWhy) {
  const TCliResult missing = RunCli({"--no-render", "--json", "no-such-file.mkv"});
  EXPECT_EQ(missing.status, 1);
  const json doc = json::parse(missing.out);
  EXPECT_EQ(doc["parsed"], false);
  EXPECT_EQ(doc["error"]["message"], "Can't open file no-such-file.mkv");
  EXPECT_EQ(missing.err, "ambrel-cli: no-such-file.mkv: No such file or directory\n");  // said once
  EXPECT_TRUE(doc["file_size"].is_null());
  EXPECT_FALSE(doc.contains("tracks"));

  const TTempDir temp("ambrel_json");
  const json junk = json::parse(RunCli({"--no-render", "--json", temp.Write("junk.mkv", std::string(300, 'x'))}).out);
  EXPECT_EQ(junk["parsed"], false);
  EXPECT_EQ(junk["file_size"], 300);
  EXPECT_EQ(junk["error"]["message"], "TEbmlReader.ReaderHeader : EBML header ID not found (found 0x7878)");
}

TEST(JsonReport, IllFormedBytesBecomeReplacementCharacters) {
  // Bytes that are no UTF-8 in the path and in a track name: the document stays
  // well-formed and shows U+FFFD where the reports do.
  const TTempDir temp("ambrel_json");
  std::string bytes = ReadFile(kData / "sample.mkv");
  const size_t name = bytes.find("Test pattern");
  ASSERT_NE(name, std::string::npos);
  bytes[name + 4] = '\xFF';
  bytes[name + 5] = '\xC3';
  const std::string path = temp.Write("bad\xFE.mkv", bytes);
  const TCliResult run = RunCli({"--no-render", "--json", path});
  ASSERT_TRUE(IsValidUtf8(run.out));
  const json doc = json::parse(run.out);
  EXPECT_EQ(doc["tracks"][0]["name"], "Test\xEF\xBF\xBD\xEF\xBF\xBD" "attern");
  EXPECT_NE(doc["path"].get<std::string>().find("bad\xEF\xBF\xBD.mkv"), std::string::npos);
  // Control bytes and quotes are escaped, never written raw.
  TJsonStream j;
  j.BeginObject();
  j.Field("t", std::string("a\"\n\x01\0b", 6));
  j.EndObject();
  EXPECT_EQ(j.TakeText(), "{\"t\":\"a\\\"\\n\\u0001\\u0000b\"}");
}

TEST(JsonReport, CandidatesAndRenderResultsAgreeWithTheTextReport) {
  const std::string world = (kData / "worlds" / "desktop.json").string();
  const std::string file = (kData / "sample.mkv").string();
  const json doc = json::parse(RunCli({"--media-world", world, "--json", file}).out);
  const std::string text = RunCli({"--media-world", world, file}).out;
  size_t proposals = 0;
  for (const json& track : doc["tracks"]) {
    for (const json& c : track["codec_candidates"]) {
      ++proposals;
      EXPECT_TRUE(Has(text, "Possible filter : " + c["name"].get<std::string>() + "\r\n"));
      const std::string installed =
          c["installed"] ? "yes, in " + c["server"].get<std::string>() +
                               (c["version"].is_null() ? "" : " (" + c["version"].get<std::string>() + ")")
                         : "no";
      EXPECT_TRUE(Has(text, "Installed : " + installed + "\r\n"));
    }
  }
  size_t lines = 0;
  for (size_t p = 0; (p = text.find("Possible filter : ", p)) != std::string::npos; ++p) ++lines;
  EXPECT_EQ(proposals, lines);
  EXPECT_GT(proposals, 0u);

  EXPECT_EQ(doc["render_file"]["code"], 0x00040242);
  EXPECT_TRUE(Has(text, "RenderFile with DirectShow : " + doc["render_file"]["text"].get<std::string>() + "\r\n"));
  EXPECT_TRUE(Has(text, "> MyRenderFile finished : " + doc["rendering"]["result"].get<std::string>() + "\r\n"));
  const json& paths = doc["rendering"]["completed_paths"];
  ASSERT_EQ(paths.size(), 2u);
  for (const json& path : paths) EXPECT_TRUE(Has(text, "> Completed path : " + path.get<std::string>() + "\r\n"));
  // A framework that says nothing per stream: its partial rendering plays.
  EXPECT_EQ(doc["verdict"], json::parse(R"({"status": "plays", "packages": [], "tracks": []})"));

  const json quiet = json::parse(RunCli({"--media-world", world, "--no-render", "--json", file}).out);
  EXPECT_FALSE(quiet.contains("render_file"));
  EXPECT_FALSE(quiet.contains("rendering"));
  EXPECT_TRUE(quiet.contains("verdict") && quiet["verdict"].is_null());
}

TEST(JsonReport, SavingReadsTheSameDocumentFromTheOneAnalysis) {
  // With --save the document is built from the analysis that wrote the saved reports: it
  // reads as --json alone does (tags and chapters included, the parse's own error for a
  // file that does not parse), and the saved text report as the text output.
  const std::string world = (kData / "worlds" / "desktop.json").string();
  const TTempDir temp("ambrel_json_save");
  const std::string junk = temp.Write("junk.mkv", std::string(300, 'x'));
  const std::string dir = (temp.Path() / "saved").string();
  fs::create_directory(dir);
  for (const std::string& file : {(kData / "sample.mkv").string(), (kData / "late_meta.mkv").string(), junk,
                                  (temp.Path() / "missing.mkv").string()}) {
    SCOPED_TRACE(file);
    for (const std::vector<std::string>& render : {std::vector<std::string>{}, std::vector<std::string>{"--no-render"}}) {
      std::vector<std::string> args = {"--media-world", world, "--json"};
      args.insert(args.end(), render.begin(), render.end());
      args.push_back(file);
      const TCliResult alone = RunCli(args);
      args.insert(args.end() - 1, {"--save", dir});
      const TCliResult saved = RunCli(args);
      EXPECT_EQ(saved.out, alone.out);
      EXPECT_EQ(saved.status, alone.status);
      std::vector<std::string> text = {"--media-world", world};
      text.insert(text.end(), render.begin(), render.end());
      text.push_back(file);
      EXPECT_EQ(ReadFile(fs::path(dir) / "Report.txt"), "\xEF\xBB\xBF" + RunCli(text).out);  // saved with a BOM
    }
  }
}

TEST(JsonReport, StreamedDocumentReadsAsTheTreeDumped) {
  // Empty and nested objects and arrays, values after closed ones, scalars written
  // directly (every ASCII byte in a text, numbers at their limits), and a drain that takes
  // the text in small pieces: the bytes equal the tree's compact form.
  std::string ascii;
  for (int c = 0; c < 128; ++c) ascii += static_cast<char>(c);
  ascii += "\xC3\xA9\xE2\x80\xA8";  // multi-byte characters stay as they are
  const TJson tree = {{"a", 1},
                      {"text", ascii},
                      {"numbers", {INT64_MIN, UINT64_MAX, 0, -1}},
                      {"flags", {true, false, nullptr}},
                      {"empty_list", TJson::array()},
                      {"empty_object", TJson::object()},
                      {"list", {{{"x", TJson::array({1, 2})}, {"y", nullptr}}, TJson::array(), "t\"\n"}},
                      {"after", 2.5}};
  for (const size_t threshold : {size_t{0}, size_t{1}, size_t{7}, size_t{1000}}) {
    TJsonStream j;
    std::string drained;
    if (threshold) j.SetDrain([&](std::string_view piece) { drained += piece; }, threshold);
    j.BeginObject();
    j.Field("a", 1);
    j.Field("text", ascii);
    j.Key("numbers");
    j.BeginArray();
    j.Value(INT64_MIN);
    j.Value(UINT64_MAX);
    j.Value(0u);
    j.Value(-1);
    j.EndArray();
    j.Key("flags");
    j.BeginArray();
    j.Value(true);
    j.Value(false);
    j.Value(nullptr);
    j.EndArray();
    j.Key("empty_list");
    j.BeginArray();
    j.EndArray();
    j.Field("empty_object", TJson::object());
    j.Key("list");
    j.BeginArray();
    j.BeginObject();
    j.Field("x", TJson::array({1, 2}));
    j.Field("y", nullptr);
    j.EndObject();
    j.BeginArray();
    j.EndArray();
    j.Value("t\"\n");
    j.EndArray();
    j.Field("after", 2.5);
    j.EndObject();
    EXPECT_EQ(drained + j.TakeText(), JsonDump(tree)) << threshold;
  }
}

namespace {

// The document of a built file: a Segment with these tracks and tags, then a Cluster.
json BuiltDocument(const std::string& tracks, const std::string& tags = "") {
  using namespace ebml;
  const TTempDir temp("ambrel_json");
  const std::string path = temp.Write("built.mkv", Header() + Segment(Master(kInfo, {Uint(kTimecodeScale, 1000000)}) +
                                                                      Element(kTracks, tracks) + tags + Cluster()));
  return json::parse(RunCli({"--no-render", "--json", path}).out);
}

}  // namespace

TEST(JsonReport, ColourValuesTheFileLeavesOutAreNullUnlessTheFormatHasADefault) {
  using namespace ebml;
  const std::string mastering = Master(kMasteringMetadata, {Float8(kLuminanceMax, 1000.0), Float8(kLuminanceMin, 0.5)});
  const json doc = BuiltDocument(Master(
      kTrackEntry, {Uint(kTrackNumber, 1), Uint(kTrackType, 1), Str(kCodecID, "V_X"),
                    Master(kVideo, {Uint(kPixelWidth, 2), Uint(kPixelHeight, 2), Master(kColour, {mastering})})}));
  EXPECT_EQ(doc["tracks"][0]["video"]["colour"], json::parse(R"({"matrix_coefficients": 2, "bits_per_channel": 0,
      "matrix_coefficients_name": "unspecified", "range_name": "unspecified", "transfer_characteristics_name":
      "unspecified", "primaries_name": "unspecified", "hdr": null, "hdr_missing": null,
      "chroma_subsampling_horz": null, "chroma_subsampling_vert": null, "range": 0, "transfer_characteristics": 2,
      "primaries": 2, "max_cll": null, "max_fall": null, "mastering": {"primary_r_x": null, "primary_r_y": null,
      "primary_g_x": null, "primary_g_y": null, "primary_b_x": null, "primary_b_y": null, "white_point_x": null,
      "white_point_y": null, "luminance_max": 1000.0, "luminance_min": 0.5}})"));
}

// The HDR format follows the transfer and the primaries; HDR10 says which static metadata
// the file leaves out.
TEST(JsonReport, ColourNamesTheCodePointsAndTheHdrFormat) {
  using namespace ebml;
  const std::string mastering = Master(kMasteringMetadata, {Float8(kLuminanceMax, 1000.0)});
  const struct {
    uint64_t Transfer, Primaries;
    std::string More;
    const char* Expected;
  } cases[] = {
      {16, 9, mastering + Uint(kMaxCLL, 1000), R"j({"transfer_characteristics_name": "SMPTE ST 2084 (PQ)",
          "primaries_name": "BT.2020", "range_name": "limited", "hdr": "HDR10", "hdr_missing": []})j"},
      {16, 9, "", R"j({"transfer_characteristics_name": "SMPTE ST 2084 (PQ)", "primaries_name": "BT.2020",
          "range_name": "limited", "hdr": "HDR10", "hdr_missing": ["mastering", "max_cll"]})j"},
      {18, 9, "", R"j({"transfer_characteristics_name": "ARIB STD-B67 (HLG)", "primaries_name": "BT.2020",
          "range_name": "limited", "hdr": "HLG", "hdr_missing": null})j"},
      {1, 1, mastering, R"j({"transfer_characteristics_name": "BT.709", "primaries_name": "BT.709",
          "range_name": "limited", "hdr": null, "hdr_missing": null})j"},
      {3, 200, "", R"j({"transfer_characteristics_name": "reserved", "primaries_name": "reserved",
          "range_name": "limited", "hdr": null, "hdr_missing": null})j"},
  };
  for (const auto& c : cases) {
    const json colour = BuiltDocument(Master(
        kTrackEntry, {Uint(kTrackNumber, 1), Uint(kTrackType, 1), Str(kCodecID, "V_X"),
                      Master(kVideo, {Uint(kPixelWidth, 2), Uint(kPixelHeight, 2),
                                      Master(kColour, {Uint(kTransferCharacteristics, c.Transfer),
                                                       Uint(kPrimaries, c.Primaries), Uint(kRange, 1), c.More})})}))
        ["tracks"][0]["video"]["colour"];
    const json expected = json::parse(c.Expected);
    for (const auto& [key, value] : expected.items()) EXPECT_EQ(colour[key], value) << key << " " << c.Expected;
  }
}

TEST(JsonReport, StatisticsCountsAreNumbersOnlyWhenTheTagIsOne) {
  using namespace ebml;
  std::string tracks, tags;
  const std::vector<std::pair<std::string, json>> cases = {{"12 frames", "12 frames"}, {"123", 123}, {"-1", "-1"}};
  for (size_t i = 0; i < cases.size(); ++i) {
    tracks += Master(kTrackEntry, {Uint(kTrackNumber, i + 1), Uint(kTrackUID, i + 1), Uint(kTrackType, 2),
                                   Str(kCodecID, "A_X")});
    tags += Master(kTag, {Master(kTargets, {Uint(kTagTrackUID, i + 1)}),
                          Master(kSimpleTag, {Str(kTagName, "NUMBER_OF_FRAMES"), Str(kTagString, cases[i].first)})});
  }
  const json doc = BuiltDocument(tracks, Element(kTags, tags));
  for (size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(doc["tracks"][i]["statistics"]["frames"], cases[i].second);
}

TEST(JsonReport, DatesAreIso8601InUtc) {
  EXPECT_EQ(DateUTCToIso(0), "2001-01-01T00:00:00.000Z");
  EXPECT_EQ(DateUTCToIso(-1'000'000), "2000-12-31T23:59:59.999Z");
  EXPECT_EQ(DateUTCToIso(INT64_MAX), "2293-04-11T23:47:16.854Z");
  EXPECT_EQ(DateUTCToIso(INT64_MIN), "1708-09-22T00:12:43.145Z");
}

namespace {

// The value mkvinfo shows after "+ Label: " in Dump, from From on; empty when absent.
std::string MkvinfoValue(const std::string& Dump, const std::string& Label, size_t From = 0) {
  const size_t at = Dump.find("+ " + Label + ": ", From);
  if (at == std::string::npos) return "";
  const size_t start = at + Label.size() + 4;
  return Dump.substr(start, Dump.find_first_of(" \n", start) - start);
}

// mkvinfo's "HH:MM:SS.nnnnnnnnn" in nanoseconds.
int64_t MkvinfoNs(const std::string& Time) {
  const size_t c1 = Time.find(':'), c2 = Time.find(':', c1 + 1), dot = Time.find('.');
  return ((std::stoll(Time.substr(0, c1)) * 60 + std::stoll(Time.substr(c1 + 1, c2 - c1 - 1))) * 60 +
          std::stoll(Time.substr(c2 + 1, dot - c2 - 1))) * 1000000000 + std::stoll(Time.substr(dot + 1));
}

}  // namespace

// The keys that go beyond the report read what mkvinfo reads in a file that holds them all.
TEST(JsonReport, ExtendedKeysAgreeWithMkvinfo) {
  const std::string file = (kData / "everything.mkv").string();
  const std::string dump = ReadFile(kData / "everything.mkv.mkvinfo.txt");
  const json doc = json::parse(RunCli({"--no-render", "--json", file}).out);
  using TGet = json (*)(const json&);
  // mkvinfo label, then where the document holds the value; mkvinfo shows only stored values.
  static const std::pair<const char*, TGet> kTrackKeys[] = {
      {"Track UID", [](const json& t) { return t["uid"]; }},
      {"Language (IETF BCP 47)", [](const json& t) { return t["language_bcp47"]; }},
      {"\"Forced display\" flag", [](const json& t) { return json(int(t["forced"])); }},
      {"\"Hearing impaired\" flag", [](const json& t) { return json(int(t["hearing_impaired"])); }},
      {"\"Visual impaired\" flag", [](const json& t) { return json(int(t["visual_impaired"])); }},
      {"\"Text descriptions\" flag", [](const json& t) { return json(int(t["text_descriptions"])); }},
      {"\"Original language\" flag", [](const json& t) { return json(int(t["original"])); }},
      {"\"Commentary\" flag", [](const json& t) { return json(int(t["commentary"])); }},
      {"Field order", [](const json& t) { return t["video"]["field_order"]; }},
      {"Stereo mode", [](const json& t) { return t["video"]["stereo_mode"]; }},
      {"Pixel crop top", [](const json& t) { return t["video"]["crop"]["top"]; }},
      {"Pixel crop bottom", [](const json& t) { return t["video"]["crop"]["bottom"]; }},
      {"Pixel crop left", [](const json& t) { return t["video"]["crop"]["left"]; }},
      {"Pixel crop right", [](const json& t) { return t["video"]["crop"]["right"]; }},
      {"Color matrix coefficients", [](const json& t) { return t["video"]["colour"]["matrix_coefficients"]; }},
      {"Bits per channel", [](const json& t) { return t["video"]["colour"]["bits_per_channel"]; }},
      {"Color range", [](const json& t) { return t["video"]["colour"]["range"]; }},
      {"Color transfer", [](const json& t) { return t["video"]["colour"]["transfer_characteristics"]; }},
      {"Color primaries", [](const json& t) { return t["video"]["colour"]["primaries"]; }},
      {"Maximum content light", [](const json& t) { return t["video"]["colour"]["max_cll"]; }},
      {"Red color coordinate x", [](const json& t) { return t["video"]["colour"]["mastering"]["primary_r_x"]; }},
      {"White color coordinate y", [](const json& t) { return t["video"]["colour"]["mastering"]["white_point_y"]; }},
      {"Minimum luminance", [](const json& t) { return t["video"]["colour"]["mastering"]["luminance_min"]; }},
  };
  const json& tracks = doc["tracks"];
  ASSERT_EQ(tracks.size(), 3u);
  size_t checked = 0;
  for (size_t i = 0; i < tracks.size(); ++i) {
    const size_t from = dump.find("+ Track number: " + std::to_string(i + 1));
    const size_t to = dump.find("+ Track number: ", from + 1);
    const std::string section = dump.substr(from, to == std::string::npos ? std::string::npos : to - from);
    for (const auto& [label, get] : kTrackKeys) {
      const std::string shown = MkvinfoValue(section, label);
      if (shown.empty()) continue;
      ++checked;
      const json value = get(tracks[i]);
      SCOPED_TRACE(label);
      if (value.is_string()) {
        EXPECT_EQ(value.get<std::string>(), shown);
      } else if (value.is_number_float()) {
        EXPECT_NEAR(value.get<double>(), std::stod(shown), 1e-6);
      } else {
        EXPECT_EQ(value.dump(), shown);
      }
    }
  }
  EXPECT_GE(checked, 24u);
  EXPECT_EQ(tracks[2]["content_encodings"].size(), 1u);
  EXPECT_EQ(tracks[2]["content_encodings"][0]["compression"], 0);  // zlib, the default
  // Chapters: uids (past 2^63) and start times (past 2^32 ms).
  const json& edition = doc["editions"][0];
  EXPECT_EQ(edition["uid"].dump(), MkvinfoValue(dump, "Edition UID"));
  size_t at = 0;
  for (const json& atom : edition["chapters"]) {
    at = dump.find("+ Chapter atom", at + 1);
    EXPECT_EQ(atom["uid"].dump(), MkvinfoValue(dump, "Chapter UID", at));
    EXPECT_EQ(atom["start_ns"].get<int64_t>(), MkvinfoNs(MkvinfoValue(dump, "Chapter time start", at)));
  }
  EXPECT_EQ(edition["chapters"][1]["start"], "1200:00:00.000");
  EXPECT_EQ(tracks[0]["profile"], 244);  // High 4:4:4 Predictive @L1.0
  EXPECT_EQ(tracks[0]["level"], 10);
}

// The modes that report the machine or the codec database answer in JSON too, reading
// what their text output says.
TEST(JsonReport, MachineModesAnswerInJson) {
  const std::string world = (kData / "worlds" / "desktop.json").string();
  const std::string text = RunCli({"--media-world", world, "--filters"}).out;
  const json filters = json::parse(RunCli({"--media-world", world, "--filters", "--json"}).out);
  size_t named = 0;
  for (const json& item : filters["sections"][0]["items"]) {
    EXPECT_TRUE(Has(text, item["name"].get<std::string>() + " : " + item["value"].get<std::string>() + "\r\n"));
    for (const json& inner : item.value("items", json::array()))
      EXPECT_TRUE(Has(text, inner["name"].get<std::string>() + " : " + inner["value"].get<std::string>() + "\r\n"));
    ++named;
  }
  EXPECT_GT(named, 2u);
  const json codec = json::parse(RunCli({"--codec", "A_VORBIS", "--json"}).out);
  EXPECT_EQ(codec["proposals"][0]["name"].get<std::string>() + "\t" + codec["proposals"][0]["guid"].get<std::string>() +
                "\n",
            RunCli({"--codec", "A_VORBIS"}).out);
}

TEST(JsonReport, LanguageNamesCoverIso639AndBcp47Tags) {
  const std::pair<const char*, const char*> cases[] = {
      {"en", "English"},          {"ENG", "English"},         {"fr-CA", "French"},    {"gsw", "Swiss German"},
      {"zxx", "No linguistic content"}, {"tlh", "Klingon"},   {"fil", "Filipino"},    {"ger", "German"},
      {"pt_BR", "Portuguese"},    {"qqq", ""},                {"e", ""},              {"", ""},
  };
  for (const auto& [code, name] : cases) EXPECT_EQ(IsoLanguageName(code), name) << code;
}
