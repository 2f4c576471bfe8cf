// A JSON document written as it is made: objects and arrays are opened and closed in
// turn, and each value given whole is serialised at once. A file with hundreds of
// thousands of chapters or tags so never holds its document as a tree, and with a drain
// not even as text; the text reads exactly as the tree's compact form would.
#pragma once

#include <functional>
#include <string>
#include <string_view>
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
  void Field(std::string_view Name, const TJson& FieldValue) {
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
