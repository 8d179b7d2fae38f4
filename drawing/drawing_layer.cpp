#include "drawing/drawing_layer.h"

namespace varn::drawing {

int32_t nextLayerId = 0;

std::shared_ptr<imaging::Bitmap> CreateLayerBitmap(int32_t width, int32_t height) {
  if (width < 1 || height < 1) return nullptr;
  auto bitmap =
      std::make_shared<imaging::Bitmap>(width, height, imaging::PixelFormat::Format32bppARGB);
  if (bitmap->GetLastStatus() != imaging::Status::Ok) return nullptr;
  return bitmap;
}

int32_t TakeNextLayerId() {
  const int32_t id = nextLayerId;
  // A paint file may set the counter to any value; it wraps instead of
  // overflowing.
  nextLayerId = static_cast<int32_t>(static_cast<uint32_t>(id) + 1u);
  return id;
}

DrawingLayer MakeLayer(int32_t width, int32_t height) {
  DrawingLayer layer;
  layer.bitmap = CreateLayerBitmap(width, height);
  if (layer.bitmap) layer.id = TakeNextLayerId();
  return layer;
}

}  // namespace varn::drawing
