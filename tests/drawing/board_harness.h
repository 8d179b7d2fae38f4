// Drives a DrawingControl the way a page and its host do: members by dispid
// through IDispatch, window messages with packed client coordinates,
// IViewObject::Draw into a surface, and a sink that records every event.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "drawing/drawing_control.h"
#include "platform/com/bstr.h"
#include "platform/com/com_object.h"
#include "platform/com/connection_point.h"
#include "platform/com/dispatch.h"
#include "platform/ui/headless_window.h"
#include "platform/ui/window_messages.h"
#include "tests/support/dispatch_call.h"
#include "tests/support/event_sink_base.h"
#include "tests/support/windowless_input.h"

namespace varn::drawing::testing {

// One event as the page saw it; VT_BOOL arguments read -1 or 0.
struct Event {
  DISPID dispid;
  std::vector<int32_t> args;

  friend bool operator==(const Event&, const Event&) = default;
};

inline std::ostream& operator<<(std::ostream& out, const Event& event) {
  out << "event " << event.dispid << "(";
  for (size_t i = 0; i < event.args.size(); ++i) out << (i > 0 ? ", " : "") << event.args[i];
  return out << ")";
}

class EventRecorder final : public varn::testing::EventSinkBase {
 public:
  HRESULT Invoke(DISPID dispid, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                 UINT*) override {
    EXPECT_EQ(flags, DISPATCH_METHOD);
    Event event{dispid, {}};
    for (UINT i = params->cArgs; i-- > 0;) {
      const VARIANT& arg = params->rgvarg[i];
      EXPECT_TRUE(arg.vt == VT_I4 || arg.vt == VT_BOOL) << "event " << dispid;
      event.args.push_back(arg.vt == VT_BOOL ? arg.boolVal : arg.lVal);
    }
    events.push_back(event);
    if (onEvent) onEvent(event);
    return S_OK;
  }

  std::vector<Event> events;
  std::function<void(const Event&)> onEvent;
};

inline constexpr int32_t kTrue = VARIANT_TRUE;
inline constexpr int32_t kFalse = VARIANT_FALSE;

class Board {
 public:
  Board() : control_(com::MakeObject<CDrawingControl>()), recorder_(new EventRecorder) {
    recorder_->AddRef();
    if (control_ == nullptr) {
      ADD_FAILURE() << "the control could not be made";
      return;
    }
    control_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch_));
    IConnectionPointContainer* container = nullptr;
    control_->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
    container->FindConnectionPoint(DIID__IDrawingControlEvents, &point_);
    container->Release();
    EXPECT_EQ(point_->Advise(recorder_, &cookie_), S_OK);
  }
  ~Board() {
    if (point_ != nullptr) {
      point_->Unadvise(cookie_);
      point_->Release();
    }
    if (dispatch_ != nullptr) dispatch_->Release();
    if (control_ != nullptr) control_->Release();
    recorder_->Release();
  }
  Board(const Board&) = delete;
  Board& operator=(const Board&) = delete;

  CDrawingControl& Control() { return *control_; }
  IDispatch* Dispatch() { return dispatch_; }
  std::vector<Event>& Events() { return recorder_->events; }
  EventRecorder& Recorder() { return *recorder_; }
  // The events since the last call, which forgets them.
  std::vector<Event> TakeEvents() {
    std::vector<Event> taken;
    taken.swap(recorder_->events);
    return taken;
  }

  HRESULT Invoke(DISPID dispid, WORD flags, std::vector<VARIANT> args, VARIANT* result) {
    return varn::testing::InvokeAsPage(dispatch_, dispid, flags, std::move(args), result);
  }

  HRESULT Call(DISPID dispid, std::vector<VARIANT> args = {}) {
    return Invoke(dispid, DISPATCH_METHOD, std::move(args), nullptr);
  }

  int32_t GetInt(DISPID dispid) {
    VARIANT result{};
    EXPECT_EQ(Invoke(dispid, DISPATCH_PROPERTYGET, {}, &result), S_OK) << "get " << dispid;
    EXPECT_EQ(result.vt, VT_I4) << "get " << dispid;
    return result.lVal;
  }
  HRESULT PutInt(DISPID dispid, int32_t value) {
    return Invoke(dispid, DISPATCH_PROPERTYPUT, {I4(value)}, nullptr);
  }

  // nullopt for a null string.
  std::optional<std::u16string> GetText(DISPID dispid) {
    VARIANT result{};
    EXPECT_EQ(Invoke(dispid, DISPATCH_PROPERTYGET, {}, &result), S_OK) << "get " << dispid;
    EXPECT_EQ(result.vt, VT_BSTR) << "get " << dispid;
    if (result.vt != VT_BSTR || result.bstrVal == nullptr) return std::nullopt;
    std::u16string text = com::ToU16String(result.bstrVal);
    SysFreeString(result.bstrVal);
    return text;
  }
  // nullopt puts a null string.
  HRESULT PutText(DISPID dispid, std::optional<std::u16string_view> text) {
    VARIANT value{};
    value.vt = VT_BSTR;
    value.bstrVal = text ? com::AllocBstr(*text) : nullptr;
    HRESULT hr = Invoke(dispid, DISPATCH_PROPERTYPUT, {value}, nullptr);
    SysFreeString(value.bstrVal);
    return hr;
  }

  std::u16string PaletteEntry(int32_t index) {
    BSTR color = nullptr;
    VARIANT out{};
    out.vt = VT_BYREF | VT_BSTR;
    out.pbstrVal = &color;
    EXPECT_EQ(Call(kDispGetPaletteColor, {I4(index), out}), S_OK);
    std::u16string text = com::ToU16String(color);
    SysFreeString(color);
    return text;
  }

  static VARIANT I4(int32_t value) {
    VARIANT v{};
    v.vt = VT_I4;
    v.lVal = value;
    return v;
  }
  static VARIANT Bool(bool value) {
    VARIANT v{};
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
  }

  HRESULT Send(UINT message, int32_t x, int32_t y, LRESULT* result = nullptr) {
    return varn::testing::SendMouse(Windowless(), message, x, y, result);
  }
  void Resize(int32_t width, int32_t height) {
    varn::testing::SendSize(Windowless(), width, height);
  }
  // A press, moves through the points, a release: one drag in client pixels.
  void Drag(const std::vector<std::pair<int32_t, int32_t>>& points) {
    varn::testing::SendDrag(Windowless(), points);
  }
  // A drag with a paint after every message, as a window would get them.
  void PaintedDrag(const std::vector<std::pair<int32_t, int32_t>>& points) {
    Send(WM_LBUTTONDOWN, points.front().first, points.front().second);
    Paint();
    for (size_t i = 1; i < points.size(); ++i) {
      Send(WM_MOUSEMOVE, points[i].first, points[i].second);
      Paint();
    }
    Send(WM_LBUTTONUP, points.back().first, points.back().second);
    Paint();
  }

  bool HasCapture() { return control_->Window().HasCapture(); }
  uint32_t Invalidations() { return control_->Headless()->InvalidationCount(); }

  // Draws the control into a width x height surface with the bounds
  // (0, 0, width, height); the picture is kept for At().
  void Paint(int32_t width = 300, int32_t height = 300) {
    picture_.assign(static_cast<size_t>(width) * height, 0x12345678u);
    pictureWidth_ = width;
    VarnSurface surface{picture_.data(), width, height, width * 4};
    const RECTL bounds{0, 0, width, height};
    EXPECT_EQ(control_->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, &surface, &bounds,
                             nullptr, nullptr, 0),
              S_OK);
  }
  uint32_t At(int32_t x, int32_t y) const {
    return picture_[static_cast<size_t>(y) * pictureWidth_ + x];
  }
  const std::vector<uint32_t>& Picture() const { return picture_; }

 private:
  IOleInPlaceObjectWindowless& Windowless() {
    return static_cast<IOleInPlaceObjectWindowless&>(*control_);
  }

  CDrawingControl* control_ = nullptr;
  EventRecorder* recorder_ = nullptr;
  IDispatch* dispatch_ = nullptr;
  IConnectionPoint* point_ = nullptr;
  DWORD cookie_ = 0;
  std::vector<uint32_t> picture_;
  int32_t pictureWidth_ = 0;
};

inline constexpr uint32_t kWhite = 0xFFFFFFFFu;
inline constexpr uint32_t kBlack = 0xFF000000u;

}  // namespace varn::drawing::testing
