#include "imagedoc/corner_artwork.h"

#include <array>
#include <span>

#include "platform/system/resource.h"

namespace varn::imagedoc {

using imaging::Bitmap;

std::unique_ptr<Bitmap> LoadCornerArtwork(CornerArtwork id) {
  const std::span<const std::byte> bytes = system::FindResource(id);
  return Bitmap::FromMemory({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
}

bool DrawCorners(imaging::Graphics& graphics, CornerArtwork id, const imaging::Rect& area) {
  const std::unique_ptr<Bitmap> corner = LoadCornerArtwork(id);
  const auto width = static_cast<int32_t>(corner->GetWidth());
  const auto height = static_cast<int32_t>(corner->GetHeight());
  if (width == 0) return false;
  const int32_t right = area.X + area.Width;
  const int32_t bottom = area.Y + area.Height;
  // The artwork is square, so turning it keeps each place's offsets.
  const std::array<imaging::Point, 4> places{{{area.X, area.Y},
                                              {right - width, area.Y},
                                              {right - width, bottom - height},
                                              {area.X, bottom - height}}};
  for (size_t i = 0; i < places.size(); ++i) {
    if (i > 0 &&
        corner->RotateFlip(imaging::RotateFlipType::Rotate90FlipNone) != imaging::Status::Ok) {
      return false;
    }
    graphics.DrawImage(*corner, places[i].X, places[i].Y);
  }
  return true;
}

}  // namespace varn::imagedoc
