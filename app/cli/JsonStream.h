// A JSON document written as it is made: objects and arrays are opened and closed in
// turn, and each value given whole is serialised at once. A file with hundreds of
// thousands of chapters or tags so never holds its document as a tree, and with a drain
// not even as text; the text reads exactly as the tree's compact form would.
#pragma once

#include <charconv>
#include <concepts>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include <nlohmann/json.hpp>

namespace ambrel {

using TJson = nlohmann::ordered_json;

class TJsonStream {
 public:
  void BeginObject() { Open('{'); }
  void EndObject() { Close('}'); }
  void BeginArray() { Open('['); }
  void EndArray() { Close(']'); }
  // The name of the member whose value comes next (an object's member only): a plain
  // ASCII word, written as it is.
  void Key(std::string_view Name);
  // A whole value: an array's next element or the value of the member just named.
  void Value(const TJson& Value);
  // The common scalars, written without making a tree value first. A text must be
  // well-formed UTF-8.
  void Value(std::string_view Text);
  void Value(const std::string& Text) { Value(std::string_view(Text)); }
  void Value(const char* Text) { Value(std::string_view(Text)); }
  void Value(std::nullptr_t);
  // A number that may have a fraction, as the tree writes it: one that is not finite has
  // no JSON number and is written as null.
  void Value(double Number);
  // Exactly a bool: a number or a pointer never turns into one here.
  template <class T>
    requires std::is_same_v<T, bool>
  void Value(T Flag) {
    WriteFlag(Flag);
  }
  template <std::integral T>
    requires(!std::is_same_v<T, bool>)
  void Value(T Number) {
    Separate();
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, Number).ptr;
    FText.append(digits, end);
    Drained();
  }

  void Field(std::string_view Name, const TJson& FieldValue) {
    Key(Name);
    Value(FieldValue);
  }
  template <class T>
  void Field(std::string_view Name, const T& FieldValue) {
    Key(Name);
    Value(FieldValue);
  }

  // Text made from here on goes to Drain whenever Threshold bytes are held.
  void SetDrain(std::function<void(std::string_view)> Drain, size_t Threshold) {
    FDrain = std::move(Drain);
    FThreshold = Threshold;
  }
  // The text held (all of it when there is no drain).
  std::string TakeText() { return std::move(FText); }

 private:
  void Open(char Bracket);
  void Close(char Bracket);
  void Separate();  // the comma before every array element and object member but the first
  void WriteFlag(bool Flag);
  void FlushDrain();
  void Drained() {
    if (FDrain && FText.size() >= FThreshold) FlushDrain();
  }

  std::string FText;
  std::vector<bool> FFirst;  // per open object or array: nothing written in it yet
  bool FAfterKey = false;
  std::function<void(std::string_view)> FDrain;
  size_t FThreshold = 0;
};

// A value in compact form. Texts are already well-formed; replacing keeps a stray byte
// from throwing.
std::string JsonDump(const TJson& Value);

}  // namespace ambrel
