#include "app/cli/JsonStream.h"

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

void TJsonStream::Value(std::string_view Text) {
  Separate();
  // Escaped as the compact form escapes: the quote, the backslash and the control
  // characters; every other byte as it is.
  static constexpr char kHex[] = "0123456789abcdef";
  FText += '"';
  size_t plain = 0;  // the start of the bytes not yet copied
  for (size_t i = 0; i < Text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(Text[i]);
    if (c >= 0x20 && c != '"' && c != '\\') continue;
    FText.append(Text.substr(plain, i - plain));
    plain = i + 1;
    switch (c) {
      case '"': FText += "\\\""; break;
      case '\\': FText += "\\\\"; break;
      case '\b': FText += "\\b"; break;
      case '\f': FText += "\\f"; break;
      case '\n': FText += "\\n"; break;
      case '\r': FText += "\\r"; break;
      case '\t': FText += "\\t"; break;
      default:
        FText += "\\u00";
        FText += kHex[c >> 4];
        FText += kHex[c & 15];
    }
  }
  FText.append(Text.substr(plain));
  FText += '"';
  Drained();
}

void TJsonStream::Value(std::nullptr_t) {
  Separate();
  FText += "null";
  Drained();
}

void TJsonStream::WriteFlag(bool Flag) {
  Separate();
  FText += Flag ? "true" : "false";
  Drained();
}

void TJsonStream::Value(double Number) { Value(TJson(Number)); }

void TJsonStream::Value(const TJson& Value) {
  Separate();
  FText += JsonDump(Value);
  Drained();
}

}  // namespace ambrel
