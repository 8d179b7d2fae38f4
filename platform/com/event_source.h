// A control's outgoing event interface, as a listed interface of a ComObject:
// the connection point container with its one point, and typed firing.
//
//   Fire(kOnSelectLayer, oldIndex, newIndex);
//
// Arguments are int32_t (VT_I4), bool (VT_BOOL, not VARIANT_BOOL), text
// (VT_BSTR, a copy) or a BSTR (VT_BSTR, a copy that keeps null apart from empty).
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/com/enumerator.h"
#include "platform/com/event_connection_point.h"
#include "platform/com/variant.h"

namespace varn::com {

namespace detail {

inline Variant EventArg(int32_t number) { return Variant::FromInt(number); }
inline Variant EventArg(bool flag) { return Variant::FromBool(flag); }
inline Variant EventArg(std::u16string_view text) { return Variant::FromText(text); }
inline Variant EventArg(const std::u16string& text) { return Variant::FromText(text); }
inline Variant EventArg(const char16_t* text) { return Variant::FromText(text); }
// A BSTR keeps null apart from empty; a copy goes to the sinks.
inline Variant EventArg(BSTR text) {
  if (text == nullptr) return Variant::FromBstr(Bstr());
  Bstr copy = Bstr::Copy(text);
  if (copy.IsNull()) return Variant();
  return Variant::FromBstr(std::move(copy));
}

}  // namespace detail

template <const IID& kEventIid>
class EventSource : public IConnectionPointContainer {
 public:
  HRESULT EnumConnectionPoints(IEnumConnectionPoints** points) override {
    if (points == nullptr) return E_POINTER;
    *points = nullptr;
    try {
      auto* enumerator =
          MakeObject<ConnectionPointEnumerator>(std::vector<IConnectionPoint*>{&point_});
      if (enumerator == nullptr) return E_OUTOFMEMORY;
      *points = enumerator;
      return S_OK;
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
  }

  HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** point) override {
    if (point == nullptr) return E_POINTER;
    *point = nullptr;
    if (riid != kEventIid) return CONNECT_E_NOCONNECTION;
    point_.AddRef();
    *point = &point_;
    return S_OK;
  }

 protected:
  EventSource() : point_(*this, kEventIid) {}
  ~EventSource() = default;

  // Fires event dispid to every sink with the arguments in declaration order.
  // E_OUTOFMEMORY, and nothing fired, when an argument cannot be built.
  template <typename... Args>
  HRESULT Fire(DISPID dispid, const Args&... args) {
    static_assert(
        ((std::is_same_v<Args, int32_t> || std::is_same_v<Args, bool> ||
          std::is_convertible_v<Args, std::u16string_view> || std::is_same_v<Args, BSTR>)&&...),
        "events carry int32_t, bool or text");
    if (point_.ConnectionCount() == 0) return S_OK;
    std::array<Variant, sizeof...(Args)> values{detail::EventArg(args)...};
    // Arguments stand in reverse order.
    std::array<VARIANT, sizeof...(Args) + 1> reversed{};
    for (size_t i = 0; i < values.size(); ++i) {
      if (values[i].Type() == VT_EMPTY) return E_OUTOFMEMORY;
      reversed[values.size() - 1 - i] = values[i].Value();
    }
    DISPPARAMS params{values.empty() ? nullptr : reversed.data(), nullptr,
                      static_cast<UINT>(values.size()), 0};
    return point_.Fire(dispid, params);
  }

  const EventConnectionPoint& Connections() const { return point_; }

 private:
  EventConnectionPoint point_;
};

}  // namespace varn::com
