// The window of a control whose host has no windows: the host delivers the
// messages and asks for drawing, and this object keeps what a window would
// hold - the client size, the capture, the part waiting to be repainted and
// the cursor. Screen coordinates equal client coordinates.
#pragma once

#include <cstdint>

#include "platform/ui/control_window.h"

namespace varn::ui {

class HeadlessWindow final : public ControlWindow {
 public:
  HeadlessWindow() = default;
  // Takes over the size of the window it replaces.
  HeadlessWindow(int32_t width, int32_t height);

  WindowKind Kind() const override { return WindowKind::kHeadless; }
  HWND Handle() const override { return nullptr; }
  HWND DialogOwner() const override { return nullptr; }

  RECT GetClientRect() const override;
  POINT ClientToScreen(POINT point) const override { return point; }

  void Invalidate() override;
  void InvalidateRect(const RECT& rect) override;

  void SetCapture() override { captured_ = true; }
  void ReleaseCapture() override { captured_ = false; }
  bool HasCapture() const override { return captured_; }

  void SetCursor(SystemCursor cursor) override { cursor_ = cursor; }
  SystemCursor Cursor() const override { return cursor_; }

  void SetClientSize(int32_t width, int32_t height);

  // What waits to be repainted: the bounding box of every invalidated part,
  // clipped to the client area, and the whole area after a change of size. A
  // host that has drawn calls Validate.
  bool IsInvalid() const;
  RECT InvalidBounds() const { return invalid_; }
  // Every request to repaint counts, also one that fell outside the client area.
  uint32_t InvalidationCount() const { return invalidations_; }
  void Validate() { invalid_ = RECT{0, 0, 0, 0}; }

 private:
  int32_t width_ = 0;
  int32_t height_ = 0;
  bool captured_ = false;
  SystemCursor cursor_ = IDC_ARROW;
  RECT invalid_{0, 0, 0, 0};
  uint32_t invalidations_ = 0;
};

}  // namespace varn::ui
