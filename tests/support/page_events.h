// Events as a page hears them. Each argument is kept as its type and its text
// (numbers in decimal, VT_BOOL as -1 or 0, BSTRs as they came), and an
// expected event is written with the values a control fires:
//
//   EXPECT_EQ(board.TakeEvents(), (Events{{kOnSelectLayer, {0, 1}},
//                                         {kOnToggleLayerVisibility, {0, true}},
//                                         {kOnUploadFile, {u"17", u"a.png", u"/up", u"5"}}}));
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/com/bstr.h"
#include "platform/com/com_object.h"
#include "platform/com/dispatch.h"
#include "platform/system/utf_convert.h"

namespace varn::testing {

struct EventArg {
  // Implicit, so that an expected event lists plain values.
  EventArg(int32_t number) : type(VT_I4), text(Decimal(number)) {}
  EventArg(bool flag) : type(VT_BOOL), text(flag ? u"-1" : u"0") {}
  EventArg(const char16_t* chars) : type(VT_BSTR), text(chars) {}
  EventArg(std::u16string chars) : type(VT_BSTR), text(std::move(chars)) {}
  // A null BSTR, which the sink keeps apart from an empty one.
  EventArg(std::nullptr_t) : type(VT_BSTR), null(true) {}

  // What the sink received; a type no event carries fails the test.
  static EventArg Received(const VARIANT& value) {
    switch (value.vt) {
      case VT_I4:
        return EventArg(value.lVal);
      case VT_BOOL:
        return EventArg(VT_BOOL, Decimal(value.boolVal));
      case VT_BSTR:
        if (value.bstrVal == nullptr) return EventArg(nullptr);
        return EventArg(com::ToU16String(value.bstrVal));
      default:
        ADD_FAILURE() << "an event argument of type " << value.vt;
        return EventArg(value.vt, u"");
    }
  }

  VARTYPE type;
  std::u16string text;
  bool null = false;

  friend bool operator==(const EventArg&, const EventArg&) = default;

 private:
  EventArg(VARTYPE vt, std::u16string decimal) : type(vt), text(std::move(decimal)) {}
  static std::u16string Decimal(int32_t number) {
    return system::Utf8ToUtf16(std::to_string(number));
  }
};

inline std::ostream& operator<<(std::ostream& out, const EventArg& arg) {
  switch (arg.type) {
    case VT_I4:
      return out << system::Utf16ToUtf8(arg.text);
    case VT_BOOL:
      return out << "bool " << system::Utf16ToUtf8(arg.text);
    case VT_BSTR:
      if (arg.null) return out << "null";
      return out << '"' << system::Utf16ToUtf8(arg.text) << '"';
    default:
      return out << "type " << arg.type;
  }
}

// One event: its dispid and its arguments in declaration order.
struct Event {
  DISPID dispid;
  std::vector<EventArg> args;

  std::vector<VARTYPE> Types() const {
    std::vector<VARTYPE> types;
    for (const EventArg& arg : args) types.push_back(arg.type);
    return types;
  }

  friend bool operator==(const Event&, const Event&) = default;
};

inline std::ostream& operator<<(std::ostream& out, const Event& event) {
  out << "event " << event.dispid << "(";
  for (size_t i = 0; i < event.args.size(); ++i) out << (i > 0 ? ", " : "") << event.args[i];
  return out << ")";
}

using Events = std::vector<Event>;

// Records every event it is sent; onEvent, when set, runs after each one is
// recorded, as a page's handler would. Kept out of the module's count of
// live objects, like everything else the page owns.
class EventSink final : public com::ComObject<IDispatch> {
 public:
  EventSink() : ComObject(com::ModuleCount::kNotCounted) {}

  HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT Invoke(DISPID dispid, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                 UINT*) override {
    EXPECT_EQ(flags, DISPATCH_METHOD) << "event " << dispid;
    Event event{dispid, {}};
    for (UINT i = params->cArgs; i-- > 0;) {
      event.args.push_back(EventArg::Received(params->rgvarg[i]));
    }
    events.push_back(event);
    if (onEvent) onEvent(event);
    return S_OK;
  }

  std::vector<Event> events;
  std::function<void(const Event&)> onEvent;
};

}  // namespace varn::testing
