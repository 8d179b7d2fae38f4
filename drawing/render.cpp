#include "drawing/render.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "drawing/drawing_text.h"
#include "drawing/drawing_tools.h"
#include "drawing/stroke_layer.h"
#include "drawing/tool_types.h"
#include "platform/imaging/bitmap_data.h"
#include "platform/imaging/graphics.h"
#include "platform/imaging/pixel_blend.h"

namespace varn::drawing {

namespace {

using imaging::Bitmap;
using imaging::BitmapData;
using imaging::Graphics;
using imaging::Rect;

constexpr uint32_t kBoardWhite = 0xFFFFFFFFu;

uint32_t* RowOf(const VarnSurface& rows, int32_t y) {
  return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(rows.pixels) +
                                     static_cast<std::ptrdiff_t>(y) * rows.stride);
}

Rect WholeOf(const Bitmap& bitmap) {
  return Rect{0, 0, static_cast<int32_t>(bitmap.GetWidth()),
              static_cast<int32_t>(bitmap.GetHeight())};
}

// A read lock changes no pixel; only the lock's own bookkeeping.
bool LockForReading(const Bitmap& bitmap, BitmapData* data) {
  return const_cast<Bitmap&>(bitmap).LockBits(WholeOf(bitmap), imaging::ImageLockMode::Read,
                                              imaging::PixelFormat::Format32bppARGB,
                                              data) == imaging::Status::Ok;
}

// The columns [left, right) of canvas row y that a bitmap placed at (x, y0)
// covers inside [areaLeft, areaRight); false when none.
struct Span {
  int64_t left = 0;
  int64_t right = 0;
};

bool ColumnsOf(int64_t x, int64_t width, int64_t areaLeft, int64_t areaRight, Span* span) {
  span->left = std::max(x, areaLeft);
  span->right = std::min(x + width, areaRight);
  return span->right > span->left;
}

// One composite under construction, its rows held for writing.
struct CompositeRows {
  std::unique_ptr<Bitmap>* composite = nullptr;
  BitmapData data;
  bool usable = false;
};

bool StartComposite(std::unique_ptr<Bitmap>& composite, CompositeRows& rows, int32_t width,
                    int32_t height, uint32_t fill) {
  auto made = std::make_unique<Bitmap>(width, height, imaging::PixelFormat::Format32bppARGB,
                                       imaging::BitmapFill::Uninitialized);
  if (made->GetLastStatus() != imaging::Status::Ok) return false;
  if (made->LockBits(WholeOf(*made), imaging::ImageLockMode::ReadWrite,
                     imaging::PixelFormat::Format32bppARGB, &rows.data) != imaging::Status::Ok) {
    return false;
  }
  for (int32_t y = 0; y < height; ++y) std::fill_n(rows.data.Row(y), width, fill);
  composite = std::move(made);
  rows.composite = &composite;
  rows.usable = true;
  return true;
}

// Puts each visible layer below the selected one into belowComposite and each
// above it into aboveComposite. A composite nothing went into is not made,
// so the next render tries again.
void BuildComposites(CDrawingState& state) {
  const int32_t width = state.canvasWidth;
  const int32_t height = state.canvasHeight;
  CompositeRows below;
  CompositeRows above;
  for (size_t i = 0; i < state.layers.size(); ++i) {
    const DrawingLayer& layer = state.layers[i];
    const auto index = static_cast<int32_t>(i);
    if (!layer.visible || !layer.bitmap || index == state.selectedLayer) continue;
    const bool isBelow = index < state.selectedLayer;
    CompositeRows& rows = isBelow ? below : above;
    if (!rows.usable && !StartComposite(isBelow ? state.belowComposite : state.aboveComposite, rows,
                                        width, height, isBelow ? kBoardWhite : 0u)) {
      continue;
    }
    BitmapData source;
    if (!LockForReading(*layer.bitmap, &source)) continue;
    Span columns;
    if (!ColumnsOf(layer.x, source.Width, 0, width, &columns)) continue;
    const int64_t top = std::max<int64_t>(0, layer.y);
    const int64_t bottom = std::min<int64_t>(height, int64_t{layer.y} + source.Height);
    const auto count = static_cast<int32_t>(columns.right - columns.left);
    for (int64_t y = top; y < bottom; ++y) {
      const uint32_t* from =
          source.ConstRow(static_cast<int32_t>(y - layer.y)) + (columns.left - layer.x);
      uint32_t* to = rows.data.Row(static_cast<int32_t>(y)) + columns.left;
      if (isBelow) {
        imaging::BlendOverOpaque(from, to, count);
      } else {
        imaging::AccumulatePremultiplied(from, to, count);
      }
    }
  }
}

// The running tool's work on the selected layer before it is shown; returns
// the bitmap that stands for the layer. A kept eraser stroke is in the
// preview already.
const Bitmap* PrepareSelectedLayer(CDrawingState& state, std::span<const imaging::PointF> points,
                                   bool strokeKept) {
  DrawingLayer& layer = state.SelectedLayer();
  switch (state.toolType) {
    case kToolMove:
      OffsetSelectedLayer(state, points);
      break;
    case kToolEraser:
      if (strokeKept && state.eraserPreview) return state.eraserPreview.get();
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

// Whether the tool draws a figure through Graphics between the selected
// layer and the layers above it.
bool HasFigurePreview(const CDrawingState& state, size_t pointCount, bool strokeKept) {
  if (pointCount < 2) return false;
  if (state.toolType == kToolPen) return !strokeKept;
  return state.toolType == kToolLine || state.toolType == kToolShape;
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

void FillWhite(const VarnSurface& rows, const Rect& area) {
  for (int32_t y = 0; y < area.Height; ++y) std::fill_n(RowOf(rows, y), area.Width, kBoardWhite);
}

// What goes into one pass over the rows.
struct RowSources {
  BitmapData base;
  BitmapData selected;
  BitmapData stroke;
  BitmapData above;
  bool hasBase = false;
  bool hasSelected = false;
  bool hasStroke = false;
  bool hasAbove = false;
  int32_t selectedX = 0;
  int32_t selectedY = 0;
};

void ComposeRows(RowSources& sources, const VarnSurface& rows, const Rect& area,
                 bool includeAbove) {
  Span selectedColumns;
  const bool selectedOnRows =
      sources.hasSelected &&
      ColumnsOf(sources.selectedX, sources.selected.Width, area.X, area.Right(), &selectedColumns);
  const auto selectedCount = static_cast<int32_t>(selectedColumns.right - selectedColumns.left);
  for (int32_t y = 0; y < area.Height; ++y) {
    const int32_t canvasY = area.Y + y;
    uint32_t* row = RowOf(rows, y);
    if (sources.hasBase) {
      std::memcpy(row, sources.base.ConstRow(canvasY) + area.X, size_t(area.Width) * 4);
    } else {
      std::fill_n(row, area.Width, kBoardWhite);
    }
    const int64_t layerRow = int64_t{canvasY} - sources.selectedY;
    if (selectedOnRows && layerRow >= 0 && layerRow < sources.selected.Height) {
      imaging::BlendOverOpaque(sources.selected.ConstRow(static_cast<int32_t>(layerRow)) +
                                   (selectedColumns.left - sources.selectedX),
                               row + (selectedColumns.left - area.X), selectedCount);
    }
    if (sources.hasStroke) {
      imaging::BlendOverOpaque(sources.stroke.ConstRow(canvasY) + area.X, row, area.Width);
    }
    if (includeAbove && sources.hasAbove) {
      imaging::BlendPremultipliedOver(sources.above.ConstRow(canvasY) + area.X, row, area.Width);
    }
  }
}

void BlendAbove(RowSources& sources, const VarnSurface& rows, const Rect& area) {
  if (!sources.hasAbove) return;
  for (int32_t y = 0; y < area.Height; ++y) {
    imaging::BlendPremultipliedOver(sources.above.ConstRow(area.Y + y) + area.X, RowOf(rows, y),
                                    area.Width);
  }
}

bool FitsCanvas(const Bitmap& bitmap, const CDrawingState& state) {
  return bitmap.GetWidth() == static_cast<uint32_t>(state.canvasWidth) &&
         bitmap.GetHeight() == static_cast<uint32_t>(state.canvasHeight);
}

}  // namespace

void RenderArea(CDrawingState& state, const VarnSurface& rows, const Rect& area,
                const std::vector<imaging::PointF>& strokePoints, RenderMode mode,
                const StrokeLayer* stroke) {
  if (area.IsEmptyArea()) return;
  // A state read from outside with a selection off its list shows nothing
  // rather than reading beyond it.
  if (state.selectedLayer < 0 || static_cast<size_t>(state.selectedLayer) >= state.layers.size()) {
    FillWhite(rows, area);
    return;
  }
  if (!state.belowComposite && !state.aboveComposite && state.layers.size() > 1) {
    BuildComposites(state);
  }
  const std::span<const imaging::PointF> points(strokePoints);
  const bool strokeKept = stroke != nullptr && stroke->Serves(state);
  const Bitmap* selected = PrepareSelectedLayer(state, points, strokeKept);
  const DrawingLayer& layer = state.SelectedLayer();
  const bool penKept = strokeKept && !stroke->Erases();

  RowSources sources;
  sources.hasBase = state.belowComposite && FitsCanvas(*state.belowComposite, state) &&
                    LockForReading(*state.belowComposite, &sources.base);
  sources.hasSelected = selected != nullptr && LockForReading(*selected, &sources.selected);
  sources.selectedX = layer.x;
  sources.selectedY = layer.y;
  sources.hasStroke = penKept && LockForReading(stroke->Mask(), &sources.stroke);
  sources.hasAbove = state.aboveComposite && FitsCanvas(*state.aboveComposite, state) &&
                     LockForReading(*state.aboveComposite, &sources.above);

  const bool figure = HasFigurePreview(state, points.size(), penKept);
  ComposeRows(sources, rows, area, !figure);
  if (!figure && state.texts.empty()) return;

  VarnSurface surface{rows.pixels, area.Width, area.Height, rows.stride};
  if (figure) {
    {
      Graphics graphics(surface);
      graphics.TranslateTransform(-static_cast<float>(area.X), -static_cast<float>(area.Y));
      DrawToolPreview(state, points, graphics);
    }
    BlendAbove(sources, rows, area);
  }
  if (state.texts.empty()) return;
  Graphics graphics(surface);
  graphics.TranslateTransform(-static_cast<float>(area.X), -static_cast<float>(area.Y));
  for (size_t i = 0; i < state.texts.size(); ++i) {
    const bool framed = mode == RenderMode::Screen && static_cast<int32_t>(i) == state.selectedText;
    DrawTextObject(graphics, state.texts[i], framed ? TextFrame::Dashed : TextFrame::None);
  }
}

void Render(CDrawingState& state, imaging::Bitmap& target,
            const std::vector<imaging::PointF>& strokePoints, RenderMode mode,
            const StrokeLayer* stroke) {
  const Rect whole = WholeOf(target);
  if (whole.IsEmptyArea()) return;
  BitmapData data;
  if (target.LockBits(whole, imaging::ImageLockMode::ReadWrite, target.GetPixelFormat(), &data) !=
      imaging::Status::Ok) {
    return;
  }
  const VarnSurface rows{data.Row(0), whole.Width, whole.Height, data.Stride};
  const Rect area{0, 0, std::min(whole.Width, state.canvasWidth),
                  std::min(whole.Height, state.canvasHeight)};
  // The target beyond the canvas shows the board's white.
  for (int32_t y = 0; y < whole.Height; ++y) {
    const int32_t from = y < area.Height ? area.Width : 0;
    std::fill(RowOf(rows, y) + from, RowOf(rows, y) + whole.Width, kBoardWhite);
  }
  RenderArea(state, rows, area, strokePoints, mode, stroke);
}

void Render(CDrawingState& state, imaging::Bitmap& target, const Rect& area,
            const std::vector<imaging::PointF>& strokePoints, RenderMode mode,
            const StrokeLayer* stroke) {
  const Rect whole = WholeOf(target);
  const Rect canvas{0, 0, std::min(whole.Width, state.canvasWidth),
                    std::min(whole.Height, state.canvasHeight)};
  const int64_t left = std::max<int64_t>(area.X, 0);
  const int64_t top = std::max<int64_t>(area.Y, 0);
  const int64_t right = std::min<int64_t>(area.Right(), canvas.Width);
  const int64_t bottom = std::min<int64_t>(area.Bottom(), canvas.Height);
  if (right <= left || bottom <= top) return;
  const Rect part{static_cast<int32_t>(left), static_cast<int32_t>(top),
                  static_cast<int32_t>(right - left), static_cast<int32_t>(bottom - top)};
  BitmapData data;
  if (target.LockBits(part, imaging::ImageLockMode::ReadWrite, target.GetPixelFormat(), &data) !=
      imaging::Status::Ok) {
    return;
  }
  const VarnSurface rows{data.Row(0), part.Width, part.Height, data.Stride};
  RenderArea(state, rows, part, strokePoints, mode, stroke);
}

}  // namespace varn::drawing
