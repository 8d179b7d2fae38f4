#include "platform/ui/headless_window.h"

#include <algorithm>

#include "platform/ui/rect_ops.h"

namespace varn::ui {

HeadlessWindow::HeadlessWindow(int32_t width, int32_t height) { SetClientSize(width, height); }

RECT HeadlessWindow::GetClientRect() const { return RECT{0, 0, width_, height_}; }

void HeadlessWindow::Invalidate() { InvalidateRect(GetClientRect()); }

void HeadlessWindow::InvalidateRect(const RECT& rect) {
  ++invalidations_;
  invalid_ = Union(invalid_, Intersect(rect, GetClientRect()));
}

void HeadlessWindow::SetClientSize(int32_t width, int32_t height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  // What lay outside the new client area will never be painted.
  invalid_ = Intersect(invalid_, GetClientRect());
}

bool HeadlessWindow::IsInvalid() const { return !IsEmpty(invalid_); }

}  // namespace varn::ui
