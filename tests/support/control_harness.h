// One control on a page, driven the way a page and its host drive it: made
// through its class, placed in a site whose dialog service the test scripts,
// heard through one sink on its default event interface, its members called
// by dispid through IDispatch, window messages with packed client
// coordinates, and IViewObject::Draw into a surface read back pixel by pixel.
//
//   ControlHarness<CDrawingControl> board;
//   board.PutInt(kDispZoomValue, 2);
//   board.Drag({{10, 10}, {50, 50}});
//   EXPECT_EQ(board.TakeEvents(), (Events{{kOnInvalidateInfo, {}}}));
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/com/bstr.h"
#include "platform/com/com_ref.h"
#include "platform/com/connection_point.h"
#include "platform/com/dispatch.h"
#include "platform/com/ole_object.h"
#include "platform/com/variant.h"
#include "platform/com/view_object.h"
#include "platform/system/utf_convert.h"
#include "platform/ui/headless_window.h"
#include "platform/ui/window_messages.h"
#include "tests/support/dispatch_call.h"
#include "tests/support/host_dialogs.h"
#include "tests/support/page_events.h"
#include "tests/support/variant_args.h"
#include "tests/support/windowless_input.h"

namespace varn::testing {

// The event interface the harness listens to: the control's default source.
// A scripted control names it; another control can specialise this.
template <typename T>
inline constexpr const IID& kEventInterfaceOf = T::kEventInterface;

enum class Hosting {
  kScriptedSite,  // a site offering the scripted dialog service, as a page has
  kNoSite,        // no site at all: dialogs fall back to the control's own
};

template <typename T>
class ControlHarness {
 public:
  explicit ControlHarness(Hosting hosting = Hosting::kScriptedSite)
      : sink_(MakeRef<EventSink>()),
        dialogs_(MakeRef<ScriptedDialogs>()),
        control_(com::ComRef<T>::Adopt(com::MakeObject<T>())) {
    if (!control_) {
      ADD_FAILURE() << "the control could not be made";
      return;
    }
    dispatch_ = As<IDispatch>();
    windowless_ = As<IOleInPlaceObjectWindowless>();
    view_ = As<IViewObject>();
    const com::ComRef<IConnectionPointContainer> container = As<IConnectionPointContainer>();
    EXPECT_TRUE(container && dispatch_ && windowless_ && view_);
    if (container) {
      EXPECT_EQ(container->FindConnectionPoint(kEventInterfaceOf<T>, point_.Out()), S_OK);
    }
    if (point_) {
      EXPECT_EQ(point_->Advise(sink_.Get(), &cookie_), S_OK);
    }
    if (hosting == Hosting::kScriptedSite) {
      site_ = MakeRef<HostSite>(com::ComRef<IVarnHostUI>::Share(dialogs_.Get()));
      EXPECT_EQ(As<IOleObject>()->SetClientSite(site_.Get()), S_OK);
    }
  }

  ~ControlHarness() {
    if (!control_) return;
    if (site_) As<IOleObject>()->SetClientSite(nullptr);
    if (point_) point_->Unadvise(cookie_);
  }

  ControlHarness(const ControlHarness&) = delete;
  ControlHarness& operator=(const ControlHarness&) = delete;

  T& Control() { return *control_.Get(); }
  IDispatch* Dispatch() { return dispatch_.Get(); }
  // The control's interface I; empty when it has none.
  template <typename I>
  com::ComRef<I> As() const {
    return control_.template As<I>();
  }

  // Lets go of the control as a page that goes away does: every reference
  // the harness holds is released at once, the sink left connected and the
  // site set. Afterwards only the events and the dialogs can be read.
  void Drop() {
    point_.Reset();
    view_.Reset();
    windowless_.Reset();
    dispatch_.Reset();
    control_.Reset();
  }

  // Events.
  EventSink& Sink() { return *sink_.Get(); }
  const std::vector<Event>& Events() const { return sink_->events; }
  // The events since the last call, which forgets them.
  std::vector<Event> TakeEvents() { return std::exchange(sink_->events, {}); }

  // The host's dialogs: queue answers, read what was asked.
  ScriptedDialogs& Dialogs() { return *dialogs_.Get(); }

  // Members by dispid, as a page's script calls them.
  HRESULT Invoke(DISPID dispid, WORD flags, std::vector<VARIANT> args, VARIANT* result) {
    return InvokeAsPage(dispatch_.Get(), dispid, flags, std::move(args), result);
  }
  HRESULT Call(DISPID dispid, std::vector<VARIANT> args = {}) {
    return Invoke(dispid, DISPATCH_METHOD, std::move(args), nullptr);
  }

  int32_t GetInt(DISPID dispid) {
    com::Variant result;
    EXPECT_EQ(Invoke(dispid, DISPATCH_PROPERTYGET, {}, result.Get()), S_OK) << "get " << dispid;
    EXPECT_EQ(result.Type(), VT_I4) << "get " << dispid;
    return result.Value().lVal;
  }
  HRESULT PutInt(DISPID dispid, int32_t value) {
    return Invoke(dispid, DISPATCH_PROPERTYPUT, {I4(value)}, nullptr);
  }

  // nullopt for a null string.
  std::optional<std::u16string> GetText(DISPID dispid) {
    com::Variant result;
    EXPECT_EQ(Invoke(dispid, DISPATCH_PROPERTYGET, {}, result.Get()), S_OK) << "get " << dispid;
    EXPECT_EQ(result.Type(), VT_BSTR) << "get " << dispid;
    if (result.Type() != VT_BSTR || result.Value().bstrVal == nullptr) return std::nullopt;
    return com::ToU16String(result.Value().bstrVal);
  }
  // nullopt puts a null string.
  HRESULT PutText(DISPID dispid, std::optional<std::u16string_view> text) {
    return Invoke(dispid, DISPATCH_PROPERTYPUT, {Text(text)}, nullptr);
  }
  HRESULT PutText(DISPID dispid, const std::string& utf8) {
    return PutText(dispid, std::u16string_view(system::Utf8ToUtf16(utf8)));
  }

  // Window messages, as the host delivers them to a windowless control.
  HRESULT Send(UINT message, int32_t x, int32_t y, LRESULT* result = nullptr) {
    return SendMouse(*windowless_.Get(), message, x, y, result);
  }
  void Resize(int32_t width, int32_t height) { SendSize(*windowless_.Get(), width, height); }
  // A press, moves through the points, a release: one drag in client pixels.
  void Drag(const std::vector<std::pair<int32_t, int32_t>>& points) {
    SendDrag(*windowless_.Get(), points);
  }
  // A drag with a width x height paint after every message, as a window
  // would get them.
  void PaintedDrag(const std::vector<std::pair<int32_t, int32_t>>& points, int32_t width,
                   int32_t height) {
    Send(WM_LBUTTONDOWN, points.front().first, points.front().second);
    Paint(width, height);
    for (size_t i = 1; i < points.size(); ++i) {
      Send(WM_MOUSEMOVE, points[i].first, points[i].second);
      Paint(width, height);
    }
    Send(WM_LBUTTONUP, points.back().first, points.back().second);
    Paint(width, height);
  }

  bool HasCapture() { return control_->Window().HasCapture(); }
  uint32_t Invalidations() { return control_->Headless()->InvalidationCount(); }

  // Draws the control into a width x height surface of 0xAARRGGBB rows with
  // the bounds (0, 0, width, height); the picture is kept for At().
  const std::vector<uint32_t>& Paint(int32_t width, int32_t height) {
    picture_.assign(static_cast<size_t>(width) * height, 0x12345678u);
    pictureWidth_ = width;
    VarnSurface surface{picture_.data(), width, height, width * 4};
    const RECTL bounds{0, 0, width, height};
    EXPECT_EQ(view_->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, &surface, &bounds,
                          nullptr, nullptr, 0),
              S_OK);
    return picture_;
  }
  uint32_t At(int32_t x, int32_t y) const {
    return picture_[static_cast<size_t>(y) * pictureWidth_ + x];
  }
  const std::vector<uint32_t>& Picture() const { return picture_; }

 private:
  // Declared first, released last: the control may still call them while it goes.
  com::ComRef<EventSink> sink_;
  com::ComRef<ScriptedDialogs> dialogs_;
  com::ComRef<HostSite> site_;
  com::ComRef<T> control_;
  com::ComRef<IDispatch> dispatch_;
  com::ComRef<IOleInPlaceObjectWindowless> windowless_;
  com::ComRef<IViewObject> view_;
  com::ComRef<IConnectionPoint> point_;
  DWORD cookie_ = 0;
  std::vector<uint32_t> picture_;
  int32_t pictureWidth_ = 0;
};

}  // namespace varn::testing
