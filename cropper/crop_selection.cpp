#include "cropper/crop_selection.h"

#include <algorithm>

namespace varn::cropper {
namespace {

bool Contains(const RECT& area, POINT point) {
  return point.x >= area.left && point.x < area.right && point.y >= area.top &&
         point.y < area.bottom;
}

RECT Offset(RECT rect, int32_t dx, int32_t dy) {
  return RECT{rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy};
}

// The side that keeps the proportions with the other one, truncated.
int32_t WidthForHeight(int64_t height) {
  return static_cast<int32_t>(height * kCropWidth / kCropHeight);
}
int32_t HeightForWidth(int64_t width) {
  return static_cast<int32_t>(width * kCropHeight / kCropWidth);
}

bool MovesLeftEdge(DragMode mode) {
  return mode == DragMode::kTopLeft || mode == DragMode::kBottomLeft;
}
bool MovesTopEdge(DragMode mode) {
  return mode == DragMode::kTopLeft || mode == DragMode::kTopRight;
}

}  // namespace

DisplaySize FitDisplaySize(uint32_t width, uint32_t height) {
  if (width == 0 || height == 0) return {};
  // Pictures this thin still get a visible side.
  const auto scaled = [](uint32_t side, uint32_t longer) {
    return static_cast<int32_t>(std::max<uint64_t>(1, uint64_t{side} * kDisplaySide / longer));
  };
  if (width > height) return {static_cast<int32_t>(kDisplaySide), scaled(height, width)};
  return {scaled(width, height), static_cast<int32_t>(kDisplaySide)};
}

CropSelection InitialSelection(DisplaySize display) {
  const int32_t dw = display.width;
  const int32_t dh = display.height;
  CropSelection selection;
  RECT& r = selection.rect;
  r = RECT{(dw - kCropWidth) / 2, (dh - kCropHeight) / 2, dw / 2 + kCropWidth / 2,
           dh / 2 + kCropHeight / 2};
  if (dw < kCropWidth) {
    const int32_t height = HeightForWidth(dw);
    r = RECT{0, (dh - height) / 2, dw, dh / 2 + height / 2};
  }
  if (dh < kCropHeight) {
    const int32_t width = WidthForHeight(dh);
    r = RECT{(dw - width) / 2, 0, dw / 2 + width / 2, dh};
  }
  selection.squareOffset = 0;
  return selection;
}

RECT SquareOf(const CropSelection& selection) {
  const RECT& r = selection.rect;
  const int32_t top = r.top + selection.squareOffset;
  return RECT{r.left, top, r.right, top + (r.right - r.left)};
}

RECT HandleBox(int32_t x, int32_t y) {
  return RECT{x - kHandleReach, y - kHandleReach, x + kHandleReach, y + kHandleReach};
}

HitArea HitTest(const CropSelection& selection, POINT point) {
  const RECT& r = selection.rect;
  if (Contains(HandleBox(r.left, r.top), point)) return HitArea::kTopLeft;
  if (Contains(HandleBox(r.right, r.top), point)) return HitArea::kTopRight;
  if (Contains(HandleBox(r.right, r.bottom), point)) return HitArea::kBottomRight;
  if (Contains(HandleBox(r.left, r.bottom), point)) return HitArea::kBottomLeft;
  if (Contains(SquareOf(selection), point)) return HitArea::kSquare;
  if (Contains(r, point)) return HitArea::kRectangle;
  return HitArea::kOutside;
}

DragMode DragModeFor(HitArea area) {
  switch (area) {
    case HitArea::kTopLeft:
      return DragMode::kTopLeft;
    case HitArea::kTopRight:
      return DragMode::kTopRight;
    case HitArea::kBottomRight:
      return DragMode::kBottomRight;
    case HitArea::kBottomLeft:
      return DragMode::kBottomLeft;
    case HitArea::kSquare:
      return DragMode::kSquare;
    case HitArea::kRectangle:
      return DragMode::kMove;
    case HitArea::kOutside:
      break;
  }
  return DragMode::kNone;
}

RECT KeepInside(RECT rect, int32_t clientWidth, int32_t clientHeight) {
  if (rect.right > clientWidth) {
    rect = Offset(rect, clientWidth - rect.right, 0);
  } else if (rect.left < 0) {
    rect = Offset(rect, -rect.left, 0);
  }
  if (rect.bottom > clientHeight) {
    rect = Offset(rect, 0, clientHeight - rect.bottom);
  } else if (rect.top < 0) {
    rect = Offset(rect, 0, -rect.top);
  }
  return rect;
}

int32_t LimitSquareOffset(const RECT& rect, int32_t offset) {
  const int32_t room = (rect.bottom - rect.top) - (rect.right - rect.left);
  return std::max(0, std::min(offset, room));
}

RECT CropDrag::ResizedRect(POINT point) const {
  const RECT& start = start_.rect;
  RECT r = start;
  if (MovesLeftEdge(mode_)) {
    r.left = std::min(point.x, start.right - kMinDragWidth);
  } else {
    r.right = std::max(point.x, start.left + kMinDragWidth);
  }
  if (MovesTopEdge(mode_)) {
    r.top = std::min(point.y, start.bottom - kMinDragHeight);
  } else {
    r.bottom = std::max(point.y, start.top + kMinDragHeight);
  }
  if (mode_ == DragMode::kTopLeft) {
    r.left = std::max(0, r.left);
    r.top = std::max(0, r.top);
  }
  // The fixed corner stays; the dragged one gives way on the side that is
  // too long for 148:220.
  const int64_t width = r.right - r.left;
  const int64_t height = r.bottom - r.top;
  if (width * kCropHeight > height * kCropWidth) {
    if (MovesLeftEdge(mode_)) {
      r.left = r.right - WidthForHeight(height);
    } else {
      r.right = r.left + WidthForHeight(height);
    }
  } else if (height * kCropWidth > width * kCropHeight) {
    if (MovesTopEdge(mode_)) {
      r.top = r.bottom - HeightForWidth(width);
    } else {
      r.bottom = r.top + HeightForWidth(width);
    }
  }
  return r;
}

CropSelection CropDrag::MoveTo(POINT point, int32_t clientWidth, int32_t clientHeight) const {
  point.x = std::clamp(point.x, 0, std::max(0, clientWidth));
  point.y = std::clamp(point.y, 0, std::max(0, clientHeight));
  CropSelection next = start_;
  switch (mode_) {
    case DragMode::kNone:
      return start_;
    case DragMode::kMove:
      next.rect = Offset(start_.rect, point.x - press_.x, point.y - press_.y);
      break;
    case DragMode::kSquare:
      next.squareOffset =
          LimitSquareOffset(start_.rect, start_.squareOffset + (point.y - press_.y));
      break;
    case DragMode::kTopLeft:
    case DragMode::kTopRight:
    case DragMode::kBottomRight:
    case DragMode::kBottomLeft:
      next.rect = ResizedRect(point);
      break;
  }
  next.rect = KeepInside(next.rect, clientWidth, clientHeight);
  if (mode_ != DragMode::kSquare) {
    next.squareOffset = LimitSquareOffset(next.rect, start_.squareOffset);
  }
  return next;
}

CropSelection MoveSelection(const CropSelection& selection, int32_t dx, int32_t dy,
                            int32_t clientWidth, int32_t clientHeight) {
  CropSelection next = selection;
  next.rect = KeepInside(Offset(selection.rect, dx, dy), clientWidth, clientHeight);
  return next;
}

CropSelection SlideSquare(const CropSelection& selection, int32_t dy) {
  CropSelection next = selection;
  next.squareOffset = LimitSquareOffset(selection.rect, selection.squareOffset + dy);
  return next;
}

}  // namespace varn::cropper
