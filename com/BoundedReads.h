// Reading what objects we do not own hand back, within bounds: a name in a fixed buffer
// that the object may have filled to the end without a terminator, and an enumerator that
// may never say it is done.
#pragma once

#include <cstddef>
#include <string>

#include "com/HResult.h"

namespace ambrel::media {

// The most items read from an enumerator. No machine's filter, pin or media-type list comes
// near it; an enumerator that keeps answering past it is read no further.
inline constexpr size_t kMaxEnumItems = 10000;

// The text of a fixed buffer: up to its first null character, or the whole buffer when it
// holds none.
template <class Char, size_t N>
std::u16string FixedText(const Char (&text)[N]) {
  size_t length = 0;
  while (length < N && text[length] != 0) ++length;
  return std::u16string(text, text + length);
}

// Reads an enumerator that hands out one item per Next(1, &item, nullptr), S_OK with an
// item until the end, and gives each item to take, which then owns it. Stops at the end, on
// any other answer, or after kMaxEnumItems items.
template <class Item, class Enum, class Take>
void ReadEnum(Enum* e, Take take) {
  for (size_t n = 0; e && n < kMaxEnumItems; ++n) {
    Item* item = nullptr;
    if (e->Next(1, &item, nullptr) != S_OK || !item) return;
    take(item);
  }
}

}  // namespace ambrel::media
