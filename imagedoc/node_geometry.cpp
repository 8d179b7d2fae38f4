// Steps that change the picture's geometry: size, rotation and crop. Layers
// follow the picture; the scaled source is made again only when its size or
// turn changes.
#include <algorithm>
#include <utility>

#include "imagedoc/history_node.h"
#include "imagedoc/image_history.h"
#include "imagedoc/render_pipeline.h"
#include "platform/imaging/graphics.h"

namespace varn::imagedoc {

using imaging::Bitmap;
using imaging::InterpolationMode;

namespace {

// The height a layer keeps its proportions at when it becomes width wide.
int64_t ProportionalHeight(const Bitmap& layer, int64_t width) {
  return int64_t{layer.GetHeight()} * width / int64_t{layer.GetWidth()};
}

// Rescales layer (when present) to width; false when that bitmap cannot be made.
bool RescaleInPlace(std::unique_ptr<Bitmap>& layer, uint32_t width, InterpolationMode mode) {
  if (!layer) return true;
  const int64_t height = ProportionalHeight(*layer, width);
  if (!IsBitmapSize(width, height)) return false;
  layer = RescaleLayer(*layer, static_cast<int32_t>(width), static_cast<int32_t>(height), mode);
  return layer != nullptr;
}

// The area of a layer under rect, as a transparent bitmap of rect's size, so
// that a layer smaller than the picture still gives the crop's full size.
std::unique_ptr<Bitmap> CutLayer(const Bitmap& layer, const imaging::Rect& rect) {
  auto cut = std::make_unique<Bitmap>(rect.Width, rect.Height, layer.GetPixelFormat());
  if (!IsUsable(cut.get())) return nullptr;
  const int64_t right = std::min<int64_t>(rect.Right(), layer.GetWidth());
  const int64_t bottom = std::min<int64_t>(rect.Bottom(), layer.GetHeight());
  if (right <= rect.X || bottom <= rect.Y) return cut;
  const auto width = static_cast<int32_t>(right - rect.X);
  const auto height = static_cast<int32_t>(bottom - rect.Y);
  imaging::Graphics graphics(*cut);
  graphics.SetCompositingMode(imaging::CompositingMode::SourceCopy);
  if (graphics.DrawImage(layer, {0, 0, width, height}, rect.X, rect.Y, width, height) !=
      imaging::Status::Ok) {
    return nullptr;
  }
  return cut;
}

}  // namespace

int32_t CHistoryNode::SetSizeType(int32_t type) {
  if (type == sizeType) return 0;
  uint32_t width = workingWidth;
  const auto full = static_cast<uint32_t>(std::max(fullWidth, 0));
  switch (type) {
    case kSizeFull:
      width = full;
      break;
    case kSizeDefault:
      width = std::min(full, kDefaultWorkingWidth);
      break;
    case 2:
      width = 400;
      break;
    case 3:
      width = 300;
      break;
    case 4:
      width = 200;
      break;
    default:
      break;
  }
  return Resize(type, width, false);
}

int32_t CHistoryNode::SetWidth(int32_t width) {
  // A zero width would leave layers nothing to be rescaled from later.
  if (width <= 0 || static_cast<uint32_t>(width) == workingWidth) return 0;
  return Resize(kSizeFree, static_cast<uint32_t>(width), true);
}

int32_t CHistoryNode::Resize(int32_t type, uint32_t width, bool filtered) {
  std::unique_ptr<CHistoryNode> copy = MakeCopy();
  if (!copy) return 0;
  copy->sizeType = type;
  copy->workingWidth = width;
  const InterpolationMode mode =
      filtered ? InterpolationMode::HighQualityBilinear : InterpolationMode::Default;
  if (!RescaleInPlace(copy->mosaicLayer, width, mode) ||
      !RescaleInPlace(copy->penLayer, width, mode)) {
    return 0;
  }
  // Refused when the picture at that width could not be made.
  const imaging::Size base = copy->BaseSize();
  if (base.Width <= 0) return 0;
  Push(std::move(copy), width == workingWidth ? ScaledCache::MoveToCopy : ScaledCache::Drop);
  return 1;
}

int32_t CHistoryNode::Rotate(int32_t step) {
  // Only quarter turns exist; -90 is 270 and 450 is 90.
  if (step % 90 != 0) return 0;
  const int32_t turn = ((step % 360) + 360) % 360;
  std::unique_ptr<CHistoryNode> copy = MakeCopy();
  if (!copy) return 0;
  copy->rotation = (rotation + turn) % 360;
  for (std::unique_ptr<Bitmap>* layer : {&copy->mosaicLayer, &copy->penLayer}) {
    if (!*layer) continue;
    std::unique_ptr<Bitmap> turned = TurnedCopy(**layer, turn);
    if (!turned) return 0;
    // A cropped node's base is its mosaic slot: the picture takes its size.
    if (copy->cropped && layer == &copy->mosaicLayer) {
      copy->workingWidth = turned->GetWidth();
      copy->fullWidth = static_cast<int32_t>(turned->GetWidth());
    }
    *layer = std::move(turned);
    if (!RescaleInPlace(*layer, copy->workingWidth, InterpolationMode::HighQualityBilinear)) {
      return 0;
    }
  }
  if (copy->BaseSize().Width <= 0) return 0;
  Push(std::move(copy), turn == 0 ? ScaledCache::MoveToCopy : ScaledCache::Drop);
  return 1;
}

int32_t CHistoryNode::Crop(imaging::Rect rect) {
  if (!ClipToPicture(rect)) return 0;
  // The base without overlays: earlier mosaic blocks stay in the cut, while
  // effects, pen strokes and decorations are applied to it again later.
  std::unique_ptr<Bitmap> base = RenderBase();
  if (!base) return 0;
  std::unique_ptr<CHistoryNode> copy = MakeCopy();
  if (!copy) return 0;
  const imaging::PixelFormat format =
      mosaicLayer ? mosaicLayer->GetPixelFormat() : imaging::PixelFormat::Format24bppRGB;
  std::unique_ptr<Bitmap> cut = base->Clone(rect, format);
  if (!IsUsable(cut.get())) return 0;
  copy->cropped = true;
  copy->sizeType = kSizeFree;
  copy->workingWidth = static_cast<uint32_t>(rect.Width);
  copy->fullWidth = rect.Width;
  copy->mosaicLayer = std::move(cut);
  if (copy->penLayer) {
    copy->penLayer = CutLayer(*penLayer, rect);
    if (!copy->penLayer) return 0;
  }
  // Only the selected text follows the cut; the others keep their places.
  if (TextItem* item = copy->SelectedItem()) {
    item->x -= static_cast<float>(rect.X);
    item->y -= static_cast<float>(rect.Y);
  }
  // The cropped node never uses a scaled source; this node keeps its own.
  Push(std::move(copy), ScaledCache::Keep);
  return 1;
}

}  // namespace varn::imagedoc
