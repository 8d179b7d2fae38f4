// What a drag shows over the picture before it is applied: the stroke so far
// and the rubber band, drawn into the control's back buffer.
#include <algorithm>

#include "imageedit/edit_tools.h"
#include "platform/imaging/pen.h"

namespace varn::imageedit {
namespace {

using imagedoc::CHistoryNode;

constexpr imaging::ARGB kOpaqueWhite = 0xFFFFFFFFu;
constexpr float kBandWidth = 3.0f;

// The band is drawn in the inverse of the picture where the drag began, so
// that it shows on any picture; white where the press missed the picture.
imaging::ARGB BandColor(CHistoryNode& node, imaging::Point start) {
  const imaging::Bitmap* rendered = node.GetRenderedImage();
  imaging::ARGB pixel = 0;
  if (!rendered || rendered->GetPixel(start.X, start.Y, &pixel) != imaging::Status::Ok) {
    return kOpaqueWhite;
  }
  return 0xFF000000u | (~pixel & 0x00FFFFFFu);
}

// Undoes the view offset for the length of one preview.
class OffsetScope {
 public:
  OffsetScope(imaging::Graphics& graphics, POINT viewOffset)
      : graphics_(graphics),
        dx_(-static_cast<float>(viewOffset.x)),
        dy_(-static_cast<float>(viewOffset.y)) {
    graphics_.TranslateTransform(dx_, dy_);
  }
  ~OffsetScope() { graphics_.TranslateTransform(-dx_, -dy_); }
  OffsetScope(const OffsetScope&) = delete;
  OffsetScope& operator=(const OffsetScope&) = delete;

 private:
  imaging::Graphics& graphics_;
  float dx_;
  float dy_;
};

}  // namespace

void EditTools::DrawPreview(imaging::Graphics& graphics, CHistoryNode& node,
                            POINT viewOffset) const {
  const Drag drag = ActiveDrag(node);
  if (drag != Drag::kStroke && drag != Drag::kRectangle) return;
  const OffsetScope offset(graphics, viewOffset);
  const imaging::SmoothingMode smoothing = graphics.GetSmoothingMode();
  const imaging::CompositingMode compositing = graphics.GetCompositingMode();
  graphics.SetCompositingMode(imaging::CompositingMode::SourceOver);
  if (drag == Drag::kStroke) {
    DrawStrokePreview(graphics, node);
  } else {
    DrawRubberBand(graphics, node);
  }
  graphics.SetSmoothingMode(smoothing);
  graphics.SetCompositingMode(compositing);
}

// The eraser shows its path in white without anti-aliasing; erasing itself
// happens at the release.
void EditTools::DrawStrokePreview(imaging::Graphics& graphics, CHistoryNode& node) const {
  if (strokePoints_.size() < 2) return;
  const imaging::Bitmap* rendered = node.GetRenderedImage();
  if (!rendered) return;
  const bool eraser = node.toolType == kToolEraser;
  const StrokeOverlay::Style style{eraser ? kOpaqueWhite : node.penColor,
                                   static_cast<float>(eraser ? node.eraserWidth : node.penWidth),
                                   !eraser};
  strokeOverlay_.Draw(
      graphics, strokePoints_, style,
      {static_cast<int32_t>(rendered->GetWidth()), static_cast<int32_t>(rendered->GetHeight())});
}

void EditTools::DrawRubberBand(imaging::Graphics& graphics, CHistoryNode& node) const {
  imaging::Pen pen(BandColor(node, dragStart_), kBandWidth);
  pen.SetDashStyle(imaging::DashStyle::Dot);
  pen.SetAlignment(imaging::PenAlignment::Center);
  const imaging::Rect span = SpannedRect(dragStart_, lastPoint_);
  // One pixel short on the right and bottom, so that the outline runs along
  // the last pixels the operation takes; a line for a band without width.
  const imaging::Rect band{span.X, span.Y, std::max(span.Width - 1, 0),
                           std::max(span.Height - 1, 0)};
  graphics.SetSmoothingMode(imaging::SmoothingMode::None);
  graphics.DrawRectangle(pen, band);
}

}  // namespace varn::imageedit
