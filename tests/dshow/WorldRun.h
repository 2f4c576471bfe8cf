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
  TSectionOutput out = Capture([&](TLogWriter& W) { WriteDetailedRenderingSection(FileName, W, Fw); });
  if (!out.Lines.empty()) out.Lines.erase(out.Lines.begin());      // the title
  if (!out.Lines.empty() && out.Lines.back().empty()) out.Lines.pop_back();  // the separator
  return out;
}

// Passes every call to another framework (a world); tests override what they watch.
class TForwardingFramework : public media::IMediaFramework {
 public:
  using HRESULT = media::HRESULT;
  explicit TForwardingFramework(std::unique_ptr<media::IMediaFramework> inner) : FInner(std::move(inner)) {}

  std::string Description() const override { return FInner->Description(); }
  HRESULT CoInitialize() override { return FInner->CoInitialize(); }
  void CoUninitialize() override { FInner->CoUninitialize(); }
  HRESULT CoCreateInstance(const media::CLSID& c, const media::IID& i, media::ComPtr<media::IUnknown>& o) override {
    return FInner->CoCreateInstance(c, i, o);
  }
  HRESULT CreateBindCtx(uint32_t r, media::ComPtr<media::IBindCtx>& c) override { return FInner->CreateBindCtx(r, c); }
  HRESULT MkParseDisplayName(media::IBindCtx* c, const std::u16string& n, media::ComPtr<media::IMoniker>& m) override {
    return FInner->MkParseDisplayName(c, n, m);
  }
  HRESULT GetRunningObjectTable(uint32_t r, media::ComPtr<media::IRunningObjectTable>& t) override {
    return FInner->GetRunningObjectTable(r, t);
  }
  HRESULT CreateItemMoniker(const std::u16string& d, const std::u16string& item,
                            media::ComPtr<media::IMoniker>& m) override {
    return FInner->CreateItemMoniker(d, item, m);
  }
  uint32_t AMGetErrorTextW(HRESULT hr, char16_t* b, uint32_t s) override { return FInner->AMGetErrorTextW(hr, b, s); }
  uint32_t GetTickCount() override { return FInner->GetTickCount(); }
  uint32_t GetCurrentProcessId() override { return FInner->GetCurrentProcessId(); }
  uint64_t GraphAddress(media::IGraphBuilder* g) override { return FInner->GraphAddress(g); }
  int64_t FilterNameChars() override { return FInner->FilterNameChars(); }
  bool BuildsGraphsConcurrently() override { return FInner->BuildsGraphsConcurrently(); }
  int32_t RegQueryDefaultValue(const std::u16string& k, std::u16string& v) override {
    return FInner->RegQueryDefaultValue(k, v);
  }
  bool FileExists(const std::u16string& p) override { return FInner->FileExists(p); }
  bool GetFileVersion(const std::u16string& p, uint32_t& ms, uint32_t& ls) override {
    return FInner->GetFileVersion(p, ms, ls);
  }

 private:
  std::unique_ptr<media::IMediaFramework> FInner;
};

inline std::string Joined(const std::vector<std::string>& Lines) {
  std::string all;
  for (const std::string& l : Lines) all += l + "\n";
  return all;
}

}  // namespace ambrel::testing
