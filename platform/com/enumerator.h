// A snapshot enumerator (IEnumConnections, IEnumConnectionPoints): it holds its
// own references to the items, so it stays valid while the source changes.
#pragma once

#include <vector>

#include "platform/com/com_object.h"
#include "platform/com/connection_point.h"

namespace varn::com {

inline void AddRefItem(const CONNECTDATA& item) { item.pUnk->AddRef(); }
inline void ReleaseItem(const CONNECTDATA& item) { item.pUnk->Release(); }
inline void AddRefItem(IConnectionPoint* item) { item->AddRef(); }
inline void ReleaseItem(IConnectionPoint* item) { item->Release(); }

template <typename EnumInterface, typename Item>
class Enumerator : public ComObject<EnumInterface> {
 public:
  // Takes the items as they are and adds a reference to each.
  explicit Enumerator(std::vector<Item> items) : items_(std::move(items)) {
    for (const Item& item : items_) AddRefItem(item);
  }

  HRESULT Next(ULONG count, Item* items, ULONG* fetched) override {
    if (fetched != nullptr) *fetched = 0;
    if (items == nullptr) return E_POINTER;
    if (count != 1 && fetched == nullptr) return E_INVALIDARG;
    ULONG done = 0;
    while (done < count && position_ < items_.size()) {
      items[done] = items_[position_++];
      AddRefItem(items[done]);
      ++done;
    }
    if (fetched != nullptr) *fetched = done;
    return done == count ? S_OK : S_FALSE;
  }

  HRESULT Skip(ULONG count) override {
    size_t left = items_.size() - position_;
    position_ += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
  }

  HRESULT Reset() override {
    position_ = 0;
    return S_OK;
  }

  HRESULT Clone(EnumInterface** copy) override {
    if (copy == nullptr) return E_POINTER;
    *copy = nullptr;
    try {
      auto* clone = MakeObject<Enumerator>(items_);
      if (clone == nullptr) return E_OUTOFMEMORY;
      clone->position_ = position_;
      *copy = clone;
      return S_OK;
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
  }

 private:
  ~Enumerator() override {
    for (const Item& item : items_) ReleaseItem(item);
  }

  std::vector<Item> items_;
  size_t position_ = 0;
};

using ConnectionEnumerator = Enumerator<IEnumConnections, CONNECTDATA>;
using ConnectionPointEnumerator = Enumerator<IEnumConnectionPoints, IConnectionPoint*>;

}  // namespace varn::com
