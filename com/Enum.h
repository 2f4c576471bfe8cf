// Enumerators as COM hands them out, and one over a fixed list.
#pragma once

#include <cstddef>
#include <type_traits>
#include <utility>
#include <vector>

#include "com/ComPtr.h"
#include "com/HResult.h"

namespace ambrel::media {

// Enumerators: Next hands out one item: S_OK with the item, or S_FALSE with none once
// every item was given. Reset answers S_OK and starts again at the first item. Items are
// fixed when the enumerator is made.
template <class Item>
class IEnum : public IUnknown {
 public:
  virtual HRESULT Next(Item& item) = 0;
  virtual HRESULT Reset() = 0;
};

// An enumerator over a fixed list: Next hands the items out one by one, then S_FALSE with
// an empty item. Items are stored as given, or stored as something else and made when
// handed out (media types, which the caller owns).
template <class Interface, class Item, class Stored = Item>
class TListEnum : public RefCounted<Interface> {
 public:
  using TMake = Item (*)(const Stored&);
  explicit TListEnum(std::vector<Stored> items, TMake make = nullptr) : FItems(std::move(items)), FMake(make) {}
  HRESULT Next(Item& item) override {
    item = Item();
    if (FPos >= FItems.size()) return S_FALSE;
    if constexpr (std::is_same_v<Item, Stored>) {
      item = FItems[FPos++];
    } else {
      item = FMake(FItems[FPos++]);
    }
    return S_OK;
  }
  HRESULT Reset() override {
    FPos = 0;
    return S_OK;
  }

 private:
  std::vector<Stored> FItems;
  TMake FMake;
  size_t FPos = 0;
};

}  // namespace ambrel::media
