// The mouse tools' handlers: press, move, release and abandon, by the kind of
// drag under way. The previews are in edit_tool_preview.cpp.
#include "imageedit/edit_tools.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace varn::imageedit {
namespace {

using imagedoc::CHistoryNode;
using imagedoc::CImageHistory;
using imaging::Point;

// Rubber bands repaint the old rectangle grown by this, which covers the
// dotted pen's 3-pixel width on both sides of the outline.
constexpr int64_t kBandReach = 3;
// A stroke's repaint reaches this far beyond the pen's width.
constexpr int64_t kStrokeReach = 5;

LONG ClampLong(int64_t value) {
  return static_cast<LONG>(std::clamp<int64_t>(value, std::numeric_limits<LONG>::min(),
                                               std::numeric_limits<LONG>::max()));
}

Point ImagePoint(const MouseInput& at) {
  return {ClampLong(int64_t{at.client.x} + at.viewOffset.x),
          ClampLong(int64_t{at.client.y} + at.viewOffset.y)};
}

// The box from min to max of two points (max excluded), grown by reach on
// every side, in client coordinates.
RECT ClientBox(Point a, Point b, int64_t reach, POINT viewOffset) {
  return {ClampLong(int64_t{std::min(a.X, b.X)} - reach - viewOffset.x),
          ClampLong(int64_t{std::min(a.Y, b.Y)} - reach - viewOffset.y),
          ClampLong(int64_t{std::max(a.X, b.X)} + reach - viewOffset.x),
          ClampLong(int64_t{std::max(a.Y, b.Y)} + reach - viewOffset.y)};
}

RECT UnionRect(const RECT& a, const RECT& b) {
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

}  // namespace

imaging::Rect SpannedRect(Point a, Point b) {
  const auto extent = [](int32_t from, int32_t to) {
    return static_cast<int32_t>(
        std::min<int64_t>(std::llabs(int64_t{to} - from), std::numeric_limits<int32_t>::max()));
  };
  return {std::min(a.X, b.X), std::min(a.Y, b.Y), extent(a.X, b.X), extent(a.Y, b.Y)};
}

EditTools::Drag EditTools::DragFor(int32_t toolType) {
  switch (toolType) {
    case kToolPen:
    case kToolEraser:
      return Drag::kStroke;
    case kToolMosaic:
    case kToolCrop:
      return Drag::kRectangle;
    case kToolMoveText:
      return Drag::kMoveText;
    case kToolSign:
      return Drag::kMoveSign;
    default:
      return Drag::kScroll;
  }
}

// A scroll drag begun with the move-text tool keeps scrolling: only a tool
// change made since decides anew.
EditTools::Drag EditTools::ActiveDrag(const CHistoryNode& node) const {
  if (!captured_) return Drag::kNone;
  return node.toolType == dragToolType_ ? drag_ : DragFor(node.toolType);
}

// A stroke the page switched to mid-drag begins where the mouse was.
void EditTools::Follow(const CHistoryNode& node) {
  drag_ = ActiveDrag(node);
  dragToolType_ = node.toolType;
  if (drag_ == Drag::kStroke && strokePoints_.empty()) strokePoints_.push_back(lastPoint_);
}

void EditTools::StartDrag(Drag drag, const CHistoryNode& node, const MouseInput& at) {
  captured_ = true;
  drag_ = drag;
  dragToolType_ = node.toolType;
  dragStart_ = lastPoint_ = ImagePoint(at);
  lastScreen_ = at.screen;
  strokeOverlay_.Clear();
}

void EditTools::EndDrag() {
  captured_ = false;
  drag_ = Drag::kNone;
  std::vector<Point>().swap(strokePoints_);
  strokeOverlay_.Clear();
}

ToolAnswer& EditTools::Finish(ToolAnswer& answer, bool wasCaptured) const {
  if (captured_ && !wasCaptured) answer.capture = CaptureAction::kTake;
  if (!captured_ && wasCaptured) answer.capture = CaptureAction::kRelease;
  return answer;
}

ToolAnswer EditTools::OnLButtonDown(CImageHistory* image, const MouseInput& at) {
  const bool wasCaptured = captured_;
  ToolAnswer answer;
  // A press while a drag is still held (its release never came) starts over.
  EndDrag();
  if (!image) return Finish(answer, wasCaptured);
  CHistoryNode& node = image->Current();
  const Drag drag = DragFor(node.toolType);
  if (drag == Drag::kStroke) {
    StartDrag(drag, node, at);
    strokePoints_.push_back(dragStart_);
  } else if (drag == Drag::kRectangle) {
    StartDrag(drag, node, at);
  } else {
    PressHitTest(node, at, answer);
  }
  return Finish(answer, wasCaptured);
}

void EditTools::PressHitTest(CHistoryNode& node, const MouseInput& at, ToolAnswer& answer) {
  const int32_t toolAtPress = node.toolType;
  const Point point = ImagePoint(at);
  // A miss also makes the point the place of the next new text.
  const imagedoc::HitResult hit =
      node.HitTest(static_cast<float>(point.X), static_cast<float>(point.Y), true);
  const auto switchTo = [&](int32_t tool, Drag drag) {
    if (node.toolType != tool) {
      node.toolType = tool;
      answer.changeTab = tool;
    }
    answer.nodeChanged = true;
    answer.repaintAll = true;
    StartDrag(drag, node, at);
  };
  switch (hit) {
    case imagedoc::kHitText:
      switchTo(kToolMoveText, Drag::kMoveText);
      break;
    case imagedoc::kHitSign:
      switchTo(kToolSign, Drag::kMoveSign);
      break;
    case imagedoc::kHitSelectionCleared:
      answer.nodeChanged = true;
      answer.repaintAll = true;
      break;
    case imagedoc::kHitNothing:
      if (node.toolType != kToolSign) StartDrag(Drag::kScroll, node, at);
      break;
  }
  if (toolAtPress == kToolMoveText) answer.updateData = true;
}

ToolAnswer EditTools::OnMouseMove(CImageHistory* image, const MouseInput& at) {
  ToolAnswer answer;
  if (!captured_) return answer;
  if (!image) return Abandon(nullptr);
  CHistoryNode& node = image->Current();
  Follow(node);
  const Point point = ImagePoint(at);
  const Point last = lastPoint_;
  switch (drag_) {
    case Drag::kStroke:
      MoveStroke(node, point, at.viewOffset, answer);
      break;
    case Drag::kRectangle:
      MoveRectangle(point, at.viewOffset, answer);
      break;
    case Drag::kMoveText:
    case Drag::kMoveSign:
      if (point != last) {
        const auto dx = static_cast<float>(int64_t{point.X} - last.X);
        const auto dy = static_cast<float>(int64_t{point.Y} - last.Y);
        // The step may push a new node; the next message finds it current.
        const int32_t changed =
            drag_ == Drag::kMoveText ? node.MoveCurrentText(dx, dy) : node.MoveSign(dx, dy);
        answer.nodeChanged = changed != 0;
        answer.repaintAll = changed != 0;
      }
      lastPoint_ = point;
      break;
    case Drag::kScroll:
      if (at.screen.x != lastScreen_.x || at.screen.y != lastScreen_.y) {
        answer.scroll = POINT{ClampLong(int64_t{lastScreen_.x} - at.screen.x),
                              ClampLong(int64_t{lastScreen_.y} - at.screen.y)};
        answer.repaintAll = true;
      }
      lastPoint_ = point;
      break;
    case Drag::kNone:
      break;
  }
  lastScreen_ = at.screen;
  return answer;
}

void EditTools::MoveStroke(const CHistoryNode& node, Point point, POINT viewOffset,
                           ToolAnswer& answer) {
  if (point == lastPoint_) return;
  const int32_t width = node.toolType == kToolEraser ? node.eraserWidth : node.penWidth;
  answer.repaintRect =
      ClientBox(lastPoint_, point, std::max<int64_t>(width, 0) + kStrokeReach, viewOffset);
  lastPoint_ = point;
  strokePoints_.push_back(point);
}

// The old band and the new one are repainted on every move, also an
// unchanged one; both are grown so that the dotted pen's outer half is met.
void EditTools::MoveRectangle(Point point, POINT viewOffset, ToolAnswer& answer) {
  answer.repaintRect = UnionRect(ClientBox(dragStart_, lastPoint_, kBandReach, viewOffset),
                                 ClientBox(dragStart_, point, kBandReach, viewOffset));
  lastPoint_ = point;
}

ToolAnswer EditTools::OnLButtonUp(CImageHistory* image, const MouseInput& /*at*/) {
  ToolAnswer answer;
  if (!captured_) return answer;
  if (!image) return Abandon(nullptr);
  CHistoryNode& node = image->Current();
  Follow(node);
  const Drag drag = drag_;
  const std::vector<Point> points = std::move(strokePoints_);
  EndDrag();
  answer.capture = CaptureAction::kRelease;
  if (drag == Drag::kStroke) {
    const int32_t changed =
        node.toolType == kToolEraser ? node.EraseStroke(points) : node.DrawPenStroke(points);
    answer.nodeChanged = changed != 0;
    // The preview leaves the screen even when the stroke drew nothing.
    answer.repaintAll = true;
  } else if (drag == Drag::kRectangle) {
    ReleaseRectangle(*image, answer);
  }
  return answer;
}

void EditTools::ReleaseRectangle(CImageHistory& image, ToolAnswer& answer) {
  CHistoryNode& node = image.Current();
  const imaging::Rect rect = SpannedRect(dragStart_, lastPoint_);
  answer.repaintAll = true;
  if (node.toolType == kToolCrop) {
    if (node.Crop(rect) == 0) return;
    answer.nodeChanged = true;
    if (const imaging::Bitmap* rendered = image.Current().GetRenderedImage()) {
      answer.changeSize = imaging::Size{static_cast<int32_t>(rendered->GetWidth()),
                                        static_cast<int32_t>(rendered->GetHeight())};
    }
    return;
  }
  answer.nodeChanged = node.ApplyMosaic(rect, std::max(mozaicSize_, 1)) != 0;
}

ToolAnswer EditTools::OnRButtonDown(CImageHistory* image) {
  return Abandon(image ? &image->Current() : nullptr);
}

ToolAnswer EditTools::OnCancelMode(CImageHistory* image) {
  return Abandon(image ? &image->Current() : nullptr);
}

// Strokes and rubber bands leave their preview on the screen: repaint. Moves
// and scrolls have nothing to take back.
ToolAnswer EditTools::Abandon(const CHistoryNode* node) {
  ToolAnswer answer;
  if (!captured_) return answer;
  const Drag drag = node ? ActiveDrag(*node) : drag_;
  answer.repaintAll = !node || drag == Drag::kStroke || drag == Drag::kRectangle;
  EndDrag();
  answer.capture = CaptureAction::kRelease;
  return answer;
}

}  // namespace varn::imageedit
