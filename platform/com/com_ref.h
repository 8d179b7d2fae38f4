// An owning interface pointer: one reference, released when it goes.
#pragma once

#include <utility>

#include "platform/com/unknown.h"

namespace varn::com {

template <typename I>
class ComRef {
 public:
  ComRef() = default;
  // Takes over a reference the caller already holds.
  static ComRef Adopt(I* pointer) {
    ComRef ref;
    ref.pointer_ = pointer;
    return ref;
  }
  // Adds a reference of its own.
  static ComRef Share(I* pointer) {
    if (pointer != nullptr) pointer->AddRef();
    return Adopt(pointer);
  }

  ComRef(const ComRef& other) : pointer_(other.pointer_) {
    if (pointer_ != nullptr) pointer_->AddRef();
  }
  ComRef(ComRef&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComRef& operator=(ComRef other) noexcept {
    std::swap(pointer_, other.pointer_);
    return *this;
  }
  ~ComRef() { Reset(); }

  void Reset() {
    if (I* old = std::exchange(pointer_, nullptr)) old->Release();
  }

  // QueryInterface for J; empty when the object does not have it.
  template <typename J>
  ComRef<J> As() const {
    void* found = nullptr;
    if (pointer_ == nullptr || FAILED(pointer_->QueryInterface(J::kIid, &found))) return {};
    return ComRef<J>::Adopt(static_cast<J*>(found));
  }

  // For out parameters: releases what is held and hands out the slot.
  I** Out() {
    Reset();
    return &pointer_;
  }
  void** OutVoid() { return reinterpret_cast<void**>(Out()); }

  I* Get() const { return pointer_; }
  I* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

 private:
  I* pointer_ = nullptr;
};

}  // namespace varn::com
