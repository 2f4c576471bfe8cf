#include "app/cli/JsonSectionWriter.h"

#include "base/TextUtil.h"

namespace ambrel {

namespace {

// A writer argument as the text report shows it, on one line.
std::string Plain(const std::string& Text) {
  TTxtWriter plain;
  plain.WriteLine(Text);
  std::string_view text = plain.GetStream().Bytes();
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
  return ValidUtf8(TrimBlank(text));
}

}  // namespace

TJsonSectionWriter::TJsonSectionWriter() : FRoot({{"sections", TJson::array()}}), FPath(1) {}

void TJsonSectionWriter::WriteTitle(const std::string& Title) {
  FRoot["sections"].push_back({{"title", Plain(Title)}, {"items", TJson::array()}});
  FPath.assign(1, {});
}

TJson& TJsonSectionWriter::Items() {
  if (FRoot["sections"].empty()) WriteTitle("");
  TJson* items = &FRoot["sections"].back()["items"];
  for (const size_t index : FPath.back()) items = &(*items)[index]["items"];
  return *items;
}

void TJsonSectionWriter::Add(TJson Item) { Items().push_back(std::move(Item)); }

void TJsonSectionWriter::WriteLine(const std::string& Text) {
  const std::string text = Plain(Text);
  if (!text.empty()) Add({{"text", text}});
}

void TJsonSectionWriter::WriteField(const std::string& Name, const std::string& Value) {
  Add({{"name", Plain(Name)}, {"value", Plain(Value)}});
}

// The list belongs to the item written last; a list that follows no item gets one of its own.
void TJsonSectionWriter::BeginList() {
  TJson& items = Items();
  if (items.empty()) items.push_back({{"text", ""}});
  TJson& last = items.back();
  if (!last.contains("items")) last["items"] = TJson::array();
  std::vector<size_t> path = FPath.back();
  path.push_back(items.size() - 1);
  FPath.push_back(std::move(path));
}

void TJsonSectionWriter::EndList() {
  if (FPath.size() > 1) FPath.pop_back();
}

std::string TJsonSectionWriter::Document() const { return JsonDump(FRoot) + "\n"; }

}  // namespace ambrel
