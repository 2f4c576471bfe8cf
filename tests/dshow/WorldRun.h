// Loads small scripted worlds and runs the framework sections over them, for tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "dshow/DShowSections.h"
#include "media/world/MediaWorld.h"
#include "report/LogWriter.h"
#include "tests/media/ForwardingFramework.h"

namespace ambrel::testing {

inline std::unique_ptr<media::IMediaFramework> World(const std::string& json) {
  media::TMediaWorldLoad load = media::LoadMediaWorldText(json);
  EXPECT_TRUE(load.Framework) << load.Error;
  return load.Framework ? std::move(load.Framework) : media::CreateNoMediaFramework();
}

// A source whose one output offers Video/X, a decoder X -> Y and a renderer of Y.
inline constexpr char kChain[] = R"({
  "ticks": {"start": 100, "step": 10},
  "sources": [{"ext": "mkv", "filter": "src"}],
  "filters": [
    {"id": "src", "name": "Source", "categories": [], "mapper": false,
     "pins": [{"name": "Out", "dir": "out", "types": ["Video/X"]}]},
    {"id": "dec", "name": "Decoder", "clsid": "{30000000-0000-0000-0000-000000000001}",
     "pins": [{"name": "In", "dir": "in", "types": ["Video/X"]}, {"name": "Out", "dir": "out", "types": ["Video/Y"]}]},
    {"id": "ren", "name": "Renderer", "clsid": "{30000000-0000-0000-0000-000000000002}",
     "pins": [{"name": "Input", "dir": "in", "types": ["Video/Y"]}]}
  ]})";

// What a section wrote, as the text report shows it (one entry per line) and as HTML.
struct TSectionOutput {
  std::vector<std::string> Lines;
  std::string Html;
  std::string Text;
};

template <class Section>
TSectionOutput Capture(Section section) {
  THTMLWriter html;
  TTxtWriter text;
  TMultiWriter both;
  both.AddWriter(&html);
  both.AddWriter(&text);
  section(static_cast<TLogWriter&>(both));
  TSectionOutput out;
  out.Html = html.GetText();
  out.Text = text.GetText();
  std::string line;
  for (size_t i = 0; i < out.Text.size(); ++i) {
    if (out.Text.compare(i, 2, "\r\n") == 0) {
      out.Lines.push_back(line);
      line.clear();
      ++i;
    } else {
      line += out.Text[i];
    }
  }
  if (!line.empty()) out.Lines.push_back(line);
  return out;
}

// The detailed rendering of FileName: the lines between the title and the separator.
inline TSectionOutput Render(media::IMediaFramework& Fw, const std::string& FileName) {
  TSectionOutput out = Capture([&](TLogWriter& W) { WriteDetailedRenderingSection(W, RenderDetailed(FileName, Fw)); });
  if (!out.Lines.empty()) out.Lines.erase(out.Lines.begin());      // the title
  if (!out.Lines.empty() && out.Lines.back().empty()) out.Lines.pop_back();  // the separator
  return out;
}

inline std::string Joined(const std::vector<std::string>& Lines) {
  std::string all;
  for (const std::string& l : Lines) all += l + "\n";
  return all;
}

}  // namespace ambrel::testing
