// The window of a control activated in a parent widget: a Qt child widget
// whose events become the control's window messages and whose paints call the
// control's drawing through a back buffer.
#pragma once

#include <memory>

#include "platform/ui/control_window.h"

namespace varn::ui {

class WidgetWindow final : public ControlWindow {
 public:
  // A visible child of `parent` (a QWidget*) at `rect` in the parent's
  // coordinates. Null when there is no parent, no QApplication, or the call
  // comes from another thread than the application's. The creation sends no
  // WM_SIZE; the caller announces the first size.
  static std::unique_ptr<WidgetWindow> Create(HWND parent, const RECT& rect, WindowClient& client);
  ~WidgetWindow() override;
  WidgetWindow(const WidgetWindow&) = delete;
  WidgetWindow& operator=(const WidgetWindow&) = delete;

  WindowKind Kind() const override { return WindowKind::kWidget; }
  HWND Handle() const override;
  HWND DialogOwner() const override;

  RECT GetClientRect() const override;
  POINT ClientToScreen(POINT point) const override;

  void Invalidate() override;
  void InvalidateRect(const RECT& rect) override;

  void SetCapture() override;
  void ReleaseCapture() override;
  bool HasCapture() const override;

  void SetCursor(SystemCursor cursor) override;
  SystemCursor Cursor() const override;

  // Moves and resizes the widget; a new size reaches the control as WM_SIZE.
  void SetRect(const RECT& rect);
  // False once the parent destroyed the widget; every call is then harmless.
  bool IsAlive() const;

  struct Impl;

 private:
  explicit WidgetWindow(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace varn::ui
