// Reference-counted objects as COM shares them: the counting interface, the smart
// pointer holding one reference, an implementation base, and the bind context.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "com/Guid.h"

namespace ambrel::media {

class IUnknown {
 public:
  // Both return the new count. The object deletes itself when Release brings it to 0.
  virtual uint32_t AddRef() = 0;
  virtual uint32_t Release() = 0;

 protected:
  virtual ~IUnknown() = default;
};

// Holds one reference. Copying adds one, destruction releases one.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes a new reference to p.
  explicit ComPtr(T* p) : p_(p) {
    if (p_) p_->AddRef();
  }
  ComPtr(const ComPtr& o) : ComPtr(o.p_) {}
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  // Only conversions a pointer allows implicitly (to a base interface): a downcast
  // would go unchecked.
  template <class U>
    requires std::is_convertible_v<U*, T*>
  ComPtr(const ComPtr<U>& o) : ComPtr(static_cast<T*>(o.Get())) {}
  ~ComPtr() { Reset(); }
  ComPtr& operator=(ComPtr o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  // Adopts p without adding a reference (p's creator's reference moves here).
  static ComPtr Attach(T* p) {
    ComPtr c;
    c.p_ = p;
    return c;
  }
  void Reset() {
    if (p_) std::exchange(p_, nullptr)->Release();
  }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

// A reference-counted implementation base: class Foo : public RefCounted<IBaseFilter>.
// Objects start with count 0; wrap them in ComPtr (the constructor adds the first
// reference) or return them through MakeCom.
template <class Interface>
class RefCounted : public Interface {
 public:
  uint32_t AddRef() override { return ++refs_; }
  uint32_t Release() override {
    const uint32_t left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 private:
  uint32_t refs_ = 0;
};

template <class Impl, class... Args>
ComPtr<Impl> MakeCom(Args&&... args) {
  return ComPtr<Impl>(new Impl(std::forward<Args>(args)...));
}

inline constexpr IID IID_IUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// A bind context (CreateBindCtx): nothing is bound through it here, it is only passed on.
class IBindCtx : public IUnknown {};
class TBindCtx : public RefCounted<IBindCtx> {};

}  // namespace ambrel::media
