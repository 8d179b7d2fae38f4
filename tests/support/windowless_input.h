// The member's mouse and the window's size, delivered to a windowless control
// the way a headless host delivers them: Win32 messages with packed client
// coordinates.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/com/ole_object.h"
#include "platform/ui/window_messages.h"

namespace varn::testing {

inline HRESULT SendMouse(IOleInPlaceObjectWindowless& control, UINT message, int32_t x, int32_t y,
                         LRESULT* result = nullptr) {
  LRESULT ignored = 0;
  const WPARAM buttons = message == WM_LBUTTONDOWN ? MK_LBUTTON : 0;
  return control.OnWindowMessage(message, buttons, MAKELPARAM(x, y),
                                 result != nullptr ? result : &ignored);
}

inline void SendSize(IOleInPlaceObjectWindowless& control, int32_t width, int32_t height) {
  LRESULT ignored = 0;
  control.OnWindowMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height), &ignored);
}

// A press, moves through the points, a release: one drag in client pixels.
inline void SendDrag(IOleInPlaceObjectWindowless& control,
                     const std::vector<std::pair<int32_t, int32_t>>& points) {
  SendMouse(control, WM_LBUTTONDOWN, points.front().first, points.front().second);
  for (size_t i = 1; i < points.size(); ++i) {
    SendMouse(control, WM_MOUSEMOVE, points[i].first, points[i].second);
  }
  SendMouse(control, WM_LBUTTONUP, points.back().first, points.back().second);
}

}  // namespace varn::testing
