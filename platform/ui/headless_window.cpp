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
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == width_ && height == height_) return;
  width_ = width;
  height_ = height;
  // A window of a new size is painted again as a whole.
  invalid_ = GetClientRect();
}

bool HeadlessWindow::IsInvalid() const { return !IsEmpty(invalid_); }

}  // namespace varn::ui
