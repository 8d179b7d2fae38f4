#include "drawing/render.h"

#include <algorithm>
#include <span>

#include "drawing/drawing_text.h"
#include "drawing/drawing_tools.h"
#include "drawing/tool_types.h"
#include "platform/imaging/graphics.h"

namespace varn::drawing {

namespace {

using imaging::Bitmap;
using imaging::Graphics;

std::unique_ptr<Bitmap> NewComposite(const CDrawingState& state) {
  auto composite = std::make_unique<Bitmap>(state.canvasWidth, state.canvasHeight,
                                            imaging::PixelFormat::Format32bppARGB);
  if (composite->GetLastStatus() != imaging::Status::Ok) return nullptr;
  return composite;
}

// Draws each visible layer below the selected one into belowComposite and
// each above it into aboveComposite. A composite nothing went into is not
// made, so the next render tries again.
void BuildComposites(CDrawingState& state) {
  std::unique_ptr<Graphics> below;
  std::unique_ptr<Graphics> above;
  for (size_t i = 0; i < state.layers.size(); ++i) {
    const DrawingLayer& layer = state.layers[i];
    const auto index = static_cast<int32_t>(i);
    if (!layer.visible || !layer.bitmap || index == state.selectedLayer) continue;
    std::unique_ptr<Bitmap>& composite =
        index < state.selectedLayer ? state.belowComposite : state.aboveComposite;
    std::unique_ptr<Graphics>& graphics = index < state.selectedLayer ? below : above;
    if (!composite) {
      composite = NewComposite(state);
      if (!composite) continue;
      graphics = std::make_unique<Graphics>(*composite);
    }
    graphics->DrawImage(*layer.bitmap, layer.x, layer.y);
  }
}

// The layer at its offset, cut at the canvas edge. Only the part of the
// bitmap that lands on the target is drawn, which keeps the copy on rows.
void DrawSelectedLayer(Graphics& graphics, const Bitmap& layer, int32_t x, int32_t y,
                       int32_t targetWidth, int32_t targetHeight) {
  const int64_t left = std::max<int64_t>(0, x);
  const int64_t top = std::max<int64_t>(0, y);
  const int64_t right = std::min<int64_t>(targetWidth, int64_t{x} + layer.GetWidth());
  const int64_t bottom = std::min<int64_t>(targetHeight, int64_t{y} + layer.GetHeight());
  if (right <= left || bottom <= top) return;
  const imaging::Rect dest{static_cast<int32_t>(left), static_cast<int32_t>(top),
                           static_cast<int32_t>(right - left), static_cast<int32_t>(bottom - top)};
  graphics.DrawImage(layer, dest, static_cast<int32_t>(left - x), static_cast<int32_t>(top - y),
                     dest.Width, dest.Height);
}

// The running tool's work on the selected layer before it is shown; returns
// the bitmap that stands for the layer.
const Bitmap* PrepareSelectedLayer(CDrawingState& state, std::span<const imaging::PointF> points) {
  DrawingLayer& layer = state.SelectedLayer();
  switch (state.toolType) {
    case kToolMove:
      OffsetSelectedLayer(state, points);
      break;
    case kToolEraser:
      if (!state.eraserPreview && layer.bitmap) state.eraserPreview = layer.bitmap->Clone();
      if (state.eraserPreview) {
        StrokeEraser(state, points, state.eraserPreview.get());
        return state.eraserPreview.get();
      }
      break;
    case kToolEffect:
      ApplyEffect(state, points);
      break;
    default:
      break;
  }
  return state.SelectedLayer().bitmap.get();
}

void DrawToolPreview(CDrawingState& state, std::span<const imaging::PointF> points,
                     Graphics& graphics) {
  switch (state.toolType) {
    case kToolPen:
      StrokePen(state, points, &graphics);
      break;
    case kToolLine:
      StrokeLine(state, points, &graphics);
      break;
    case kToolShape:
      DrawShape(state, points, &graphics);
      break;
    default:
      break;
  }
}

}  // namespace

void Render(CDrawingState& state, imaging::Bitmap& target,
            const std::vector<imaging::PointF>& strokePoints, RenderMode mode) {
  Graphics graphics(target);
  graphics.Clear(0xFFFFFFFF);
  // A state read from outside with a selection off its list shows nothing
  // rather than reading beyond it.
  if (state.selectedLayer < 0 || static_cast<size_t>(state.selectedLayer) >= state.layers.size()) {
    return;
  }
  if (!state.belowComposite && !state.aboveComposite && state.layers.size() > 1) {
    BuildComposites(state);
  }
  if (state.belowComposite) graphics.DrawImage(*state.belowComposite, 0, 0);

  const std::span<const imaging::PointF> points(strokePoints);
  const Bitmap* selected = PrepareSelectedLayer(state, points);
  const DrawingLayer& layer = state.SelectedLayer();
  if (selected) {
    DrawSelectedLayer(graphics, *selected, layer.x, layer.y,
                      static_cast<int32_t>(target.GetWidth()),
                      static_cast<int32_t>(target.GetHeight()));
  }
  DrawToolPreview(state, points, graphics);
  if (state.aboveComposite) graphics.DrawImage(*state.aboveComposite, 0, 0);

  for (size_t i = 0; i < state.texts.size(); ++i) {
    const bool framed = mode == RenderMode::Screen && static_cast<int32_t>(i) == state.selectedText;
    DrawTextObject(graphics, state.texts[i], framed ? TextFrame::Dashed : TextFrame::None);
  }
}

}  // namespace varn::drawing
