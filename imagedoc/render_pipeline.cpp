// Rendering a node: the scaled source, the base picture, effects, pen strokes
// and overlays, and the empty layers the steps draw into.
#include "imagedoc/render_pipeline.h"

#include <utility>

#include "imagedoc/decorations.h"
#include "imagedoc/effects.h"
#include "imagedoc/history_node.h"
#include "imagedoc/image_history.h"
#include "platform/imaging/graphics.h"

namespace varn::imagedoc {

using imaging::Bitmap;
using imaging::Graphics;
using imaging::InterpolationMode;
using imaging::PixelFormat;
using imaging::Status;

namespace {

imaging::RotateFlipType TurnFor(int32_t degrees) {
  switch (degrees) {
    case 90:
      return imaging::RotateFlipType::Rotate90FlipNone;
    case 180:
      return imaging::RotateFlipType::Rotate180FlipNone;
    case 270:
      return imaging::RotateFlipType::Rotate270FlipNone;
    default:
      return imaging::RotateFlipType::RotateNoneFlipNone;
  }
}

std::unique_ptr<Bitmap> NewBitmap(imaging::Size size, PixelFormat format) {
  if (!IsBitmapSize(size.Width, size.Height)) return nullptr;
  auto bitmap = std::make_unique<Bitmap>(size.Width, size.Height, format);
  return IsUsable(bitmap.get()) ? std::move(bitmap) : nullptr;
}

}  // namespace

bool IsBitmapSize(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= imaging::kMaxBitmapPixels &&
         height <= imaging::kMaxBitmapPixels && width * height <= imaging::kMaxBitmapPixels;
}

imaging::Size ScaledSize(uint32_t sourceWidth, uint32_t sourceHeight, uint32_t width,
                         int32_t rotation) {
  const bool across = rotation == 90 || rotation == 270;
  const uint64_t turnedWidth = across ? sourceHeight : sourceWidth;
  const uint64_t turnedHeight = across ? sourceWidth : sourceHeight;
  if (turnedWidth == 0) return {};
  const uint64_t height = uint64_t{width} * turnedHeight / turnedWidth;
  if (height > uint64_t{INT32_MAX} || !IsBitmapSize(width, static_cast<int64_t>(height))) return {};
  return {static_cast<int32_t>(width), static_cast<int32_t>(height)};
}

std::unique_ptr<Bitmap> ScaleSource(const imaging::EncodedPicture& picture, uint32_t width,
                                    int32_t rotation, Status* status) {
  const imaging::Size size = ScaledSize(picture.GetWidth(), picture.GetHeight(), width, rotation);
  std::unique_ptr<Bitmap> scaled = NewBitmap(size, PixelFormat::Format24bppRGB);
  if (!scaled) {
    *status = size.Width > 0 ? Status::OutOfMemory : Status::InvalidParameter;
    return nullptr;
  }
  // The decoded pixels live only for this call; the picture stays encoded.
  std::unique_ptr<Bitmap> decoded = picture.Decode();
  if (!IsUsable(decoded.get())) {
    *status =
        decoded->GetLastStatus() == Status::Ok ? Status::GenericError : decoded->GetLastStatus();
    return nullptr;
  }
  if (rotation != 0 && decoded->RotateFlip(TurnFor(rotation)) != Status::Ok) {
    *status = Status::OutOfMemory;
    return nullptr;
  }
  Graphics graphics(*scaled);
  // A plain pass and a filtered one over it: where the source has
  // transparent pixels the second blends over the first.
  graphics.SetInterpolationMode(InterpolationMode::Default);
  graphics.DrawImage(*decoded, 0, 0, size.Width, size.Height);
  graphics.SetInterpolationMode(InterpolationMode::HighQualityBilinear);
  *status = graphics.DrawImage(*decoded, 0, 0, size.Width, size.Height);
  return *status == Status::Ok ? std::move(scaled) : nullptr;
}

std::unique_ptr<Bitmap> RescaleLayer(const Bitmap& layer, int32_t width, int32_t height,
                                     InterpolationMode mode) {
  std::unique_ptr<Bitmap> result = NewBitmap({width, height}, layer.GetPixelFormat());
  if (!result) return nullptr;
  Graphics graphics(*result);
  graphics.SetInterpolationMode(mode);
  if (graphics.DrawImage(layer, 0, 0, width, height) != Status::Ok) return nullptr;
  return result;
}

std::unique_ptr<Bitmap> TurnedCopy(const Bitmap& layer, int32_t degrees) {
  std::unique_ptr<Bitmap> copy = layer.Clone();
  if (!IsUsable(copy.get())) return nullptr;
  if (TurnFor(degrees) != imaging::RotateFlipType::RotateNoneFlipNone &&
      copy->RotateFlip(TurnFor(degrees)) != Status::Ok) {
    return nullptr;
  }
  return copy;
}

bool CHistoryNode::MakeScaledImage() {
  scaledImage.reset();
  Status status = Status::Ok;
  scaledImage = ScaleSource(owner_->Source(), workingWidth, rotation, &status);
  return scaledImage != nullptr;
}

bool CHistoryNode::MakeLayerImage() {
  if (cropped) {
    owner_->ReportError("CHistoryNode::MakeLayerImage()");
    return false;
  }
  std::unique_ptr<Bitmap> layer = NewBitmap(BaseSize(), PixelFormat::Format32bppARGB);
  if (!layer) return false;
  mosaicLayer = std::move(layer);
  renderedImage.reset();
  return true;
}

bool CHistoryNode::MakePenLayer() {
  // Sized as the base picture, a cropped one included, so that strokes can
  // cover all of it.
  std::unique_ptr<Bitmap> layer = NewBitmap(BaseSize(), PixelFormat::Format32bppARGB);
  if (!layer) return false;
  penLayer = std::move(layer);
  renderedImage.reset();
  return true;
}

std::unique_ptr<Bitmap> CHistoryNode::RenderBase() {
  if (cropped) {
    std::unique_ptr<Bitmap> image;
    if (IsUsable(mosaicLayer.get())) {
      const imaging::Rect whole{0, 0, static_cast<int32_t>(mosaicLayer->GetWidth()),
                                static_cast<int32_t>(mosaicLayer->GetHeight())};
      image = mosaicLayer->Clone(whole, PixelFormat::Format24bppRGB);
    }
    if (!IsUsable(image.get())) {
      owner_->ReportError("CHistoryNode::RedrawImage()");
      return nullptr;
    }
    return image;
  }
  if (!scaledImage && !MakeScaledImage()) {
    owner_->ReportError("CHistoryNode::RedrawImage()");
    return nullptr;
  }
  // Shares the scaled pixels until the first write, which leaves them alone.
  std::unique_ptr<Bitmap> image = scaledImage->Clone();
  if (!IsUsable(image.get())) return nullptr;
  if (mosaicLayer) Graphics(*image).DrawImage(*mosaicLayer, 0, 0);
  return image;
}

bool CHistoryNode::RedrawImage(bool full, bool showSelection) {
  renderedImage.reset();
  std::unique_ptr<Bitmap> image = RenderBase();
  if (!image) return false;
  if (full) {
    for (const int32_t code : effects) ApplyEffect(*image, code);
    // After the effects, so pen strokes keep their colours.
    if (penLayer) Graphics(*image).DrawImage(*penLayer, 0, 0);
    DrawTextItems(*this, *image, showSelection);
    DrawSign(*this, *image);
    DrawFrame(*this, image);
  }
  renderedImage = std::move(image);
  return renderedImage != nullptr;
}

const Bitmap* CHistoryNode::GetRenderedImage() {
  if (!renderedImage) RedrawImage(true, true);
  return renderedImage.get();
}

}  // namespace varn::imagedoc
