// The base of our COM objects: reference counting and QueryInterface over the
// interfaces the object lists.
#pragma once

#include <atomic>
#include <new>
#include <type_traits>

#include "platform/com/module_count.h"
#include "platform/com/unknown.h"

namespace varn::com {

// Whether a live instance keeps the module loaded. Class factories do not.
enum class ModuleCount { kCounted, kNotCounted };

// Derive a concrete object from ComObject<I1, I2, ...>. QueryInterface answers
// IUnknown, each listed interface and every interface it extends (its Base
// chain); the first listed interface that matches wins, so list the interface
// that should answer a shared base (IOleWindow, IPersist) first. Objects start
// with no reference: create them with MakeObject or AddRef them at once.
template <typename... Interfaces>
class ComObject : public Interfaces... {
  static_assert(sizeof...(Interfaces) > 0, "an object implements at least one interface");

 public:
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = FindInterface(riid);
    if (*object == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }

  ULONG AddRef() override { return references_.fetch_add(1) + 1; }

  ULONG Release() override {
    ULONG remaining = references_.fetch_sub(1) - 1;
    if (remaining == 0) delete this;
    return remaining;
  }

  // The object's identity: the IUnknown that QueryInterface hands out.
  IUnknown* Identity() { return static_cast<IUnknown*>(static_cast<First*>(this)); }

  // Whether QueryInterface answers riid, without touching the count.
  bool Implements(REFIID riid) { return FindInterface(riid) != nullptr; }

 protected:
  explicit ComObject(ModuleCount count = ModuleCount::kCounted) : counted_(count) {
    if (counted_ == ModuleCount::kCounted) AddModuleObject();
  }
  virtual ~ComObject() {
    if (counted_ == ModuleCount::kCounted) ReleaseModuleObject();
  }

  // Identities beyond the listed interfaces; answer the interface pointer or null.
  virtual void* FindExtraInterface(REFIID /*riid*/) { return nullptr; }

 private:
  template <typename First, typename...>
  struct FirstOf {
    using Type = First;
  };
  using First = typename FirstOf<Interfaces...>::Type;

  template <typename Listed, typename Current>
  void* MatchChain(REFIID riid) {
    if (riid == Current::kIid) return static_cast<Current*>(static_cast<Listed*>(this));
    if constexpr (!std::is_void_v<typename Current::Base> &&
                  !std::is_same_v<typename Current::Base, IUnknown>) {
      return MatchChain<Listed, typename Current::Base>(riid);
    } else {
      return nullptr;
    }
  }

  void* FindInterface(REFIID riid) {
    if (riid == IID_IUnknown) return Identity();
    void* found = nullptr;
    ((found = found != nullptr ? found : MatchChain<Interfaces, Interfaces>(riid)), ...);
    return found != nullptr ? found : FindExtraInterface(riid);
  }

  std::atomic<ULONG> references_{0};
  ModuleCount counted_;
};

// Creates a T with one reference held by the caller, or null when memory is
// exhausted (also when T's constructor runs out of it).
template <typename T, typename... Args>
T* MakeObject(Args&&... args) {
  T* object = nullptr;
  try {
    object = new (std::nothrow) T(std::forward<Args>(args)...);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  if (object != nullptr) object->AddRef();
  return object;
}

// Creates a T and asks it for riid: the body of a class factory's CreateInstance.
template <typename T>
HRESULT CreateObject(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  T* created = MakeObject<T>();
  if (created == nullptr) return E_OUTOFMEMORY;
  HRESULT result = created->QueryInterface(riid, object);
  created->Release();
  return result;
}

}  // namespace varn::com
