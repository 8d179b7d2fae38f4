// Steps that paint into a node's layers: pen and eraser strokes and mosaic
// blocks. Each paints into the copy before it is pushed, so a stroke that
// cannot be painted leaves the history as it was.
#include <algorithm>
#include <utility>
#include <vector>

#include "imagedoc/history_node.h"
#include "imagedoc/mosaic.h"
#include "imagedoc/render_pipeline.h"
#include "platform/imaging/graphics.h"
#include "platform/imaging/pen.h"

namespace varn::imagedoc {

using imaging::Status;

int32_t CHistoryNode::DrawPenStroke(std::span<const imaging::Point> points) {
  return Stroke(points, false);
}

int32_t CHistoryNode::EraseStroke(std::span<const imaging::Point> points) {
  return Stroke(points, true);
}

int32_t CHistoryNode::Stroke(std::span<const imaging::Point> points, bool erase) {
  if (points.size() < 2) return 0;
  const int32_t shift = FrameShift();
  std::vector<imaging::Point> shifted(points.begin(), points.end());
  for (imaging::Point& point : shifted) {
    point.X -= shift;
    point.Y -= shift;
  }
  std::unique_ptr<CHistoryNode> copy = MakeCopy();
  if (!copy) return 0;
  if (!copy->penLayer && !copy->MakePenLayer()) return 0;
  {
    imaging::Graphics graphics(*copy->penLayer);
    imaging::Pen pen(erase ? 0x00000000u : penColor,
                     static_cast<float>(erase ? eraserWidth : penWidth));
    pen.SetStartCap(imaging::LineCap::Round);
    pen.SetEndCap(imaging::LineCap::Round);
    pen.SetLineJoin(imaging::LineJoin::Round);
    pen.SetAlignment(imaging::PenAlignment::Center);
    if (erase) {
      // Copying the transparent colour clears what the stroke covers.
      graphics.SetCompositingMode(imaging::CompositingMode::SourceCopy);
      graphics.SetSmoothingMode(imaging::SmoothingMode::None);
    } else {
      graphics.SetSmoothingMode(imaging::SmoothingMode::AntiAlias);
    }
    if (graphics.DrawLines(pen, std::span<const imaging::Point>(shifted)) != Status::Ok) return 0;
  }
  Push(std::move(copy), ScaledCache::MoveToCopy);
  return 1;
}

int32_t CHistoryNode::ApplyMosaic(imaging::Rect rect, int32_t blockSize) {
  if (!ClipToPicture(rect)) return 0;
  // Blocks average the base without effects, so effects listed later act on
  // them as on the rest of the picture.
  std::unique_ptr<imaging::Bitmap> base = RenderBase();
  if (!base) return 0;
  std::unique_ptr<imaging::Bitmap> work = base->Clone(rect, imaging::PixelFormat::Format24bppRGB);
  base.reset();
  if (!IsUsable(work.get())) return 0;
  AverageBlocks(*work, std::max(blockSize, 1));
  std::unique_ptr<CHistoryNode> copy = MakeCopy();
  if (!copy) return 0;
  // A cropped node's mosaic slot is its base, which takes the blocks itself.
  if (!copy->mosaicLayer && !copy->MakeLayerImage()) return 0;
  if (imaging::Graphics(*copy->mosaicLayer).DrawImage(*work, rect.X, rect.Y) != Status::Ok) {
    return 0;
  }
  Push(std::move(copy), ScaledCache::MoveToCopy);
  return 1;
}

}  // namespace varn::imagedoc
