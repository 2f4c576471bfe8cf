#include "app/JsonStream.h"

namespace ambrel {

std::string JsonDump(const TJson& Value) { return Value.dump(-1, ' ', false, TJson::error_handler_t::replace); }

void TJsonStream::FlushDrain() {
  if (!FDrain || FText.empty()) return;
  FDrain(FText);
  FText.clear();
}

void TJsonStream::Separate() {
  if (FAfterKey) {
    FAfterKey = false;
    return;
  }
  if (FFirst.empty()) return;
  if (!FFirst.back()) FText += ',';
  FFirst.back() = false;
}

void TJsonStream::Open(char Bracket) {
  Separate();
  FText += Bracket;
  FFirst.push_back(true);
}

void TJsonStream::Close(char Bracket) {
  FText += Bracket;
  if (!FFirst.empty()) FFirst.pop_back();
  Drained();
}

void TJsonStream::Key(std::string_view Name) {
  Separate();
  FText += '"';
  FText += Name;
  FText += "\":";
  FAfterKey = true;
}

void TJsonStream::Value(const TJson& Value) {
  Separate();
  FText += JsonDump(Value);
  Drained();
}

}  // namespace ambrel
