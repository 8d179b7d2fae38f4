// Bitmap helpers shared by the node's steps and its rendering.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/imaging/bitmap.h"
#include "platform/imaging/encoded_picture.h"
#include "platform/imaging/geometry.h"
#include "platform/imaging/rendering_modes.h"
#include "platform/imaging/status.h"

namespace varn::imagedoc {

// A bitmap that exists and was made (a failed one has no size).
inline bool IsUsable(const imaging::Bitmap* bitmap) {
  return bitmap != nullptr && bitmap->GetWidth() > 0;
}

// Whether a bitmap of that size can be asked for at all.
bool IsBitmapSize(int64_t width, int64_t height);

// The source turned clockwise by rotation (0, 90, 180 or 270) and scaled to
// width: height = width x turned height / turned width, truncated. {0, 0}
// when that is no bitmap size (a height of 0, beyond the pixel limit).
imaging::Size ScaledSize(uint32_t sourceWidth, uint32_t sourceHeight, uint32_t width,
                         int32_t rotation);

// Decodes picture, turns it by rotation and scales it to width, 24bpp; the
// picture itself never changes. Null, with the reason in *status, when it
// cannot be decoded or the result cannot be made.
std::unique_ptr<imaging::Bitmap> ScaleSource(const imaging::EncodedPicture& picture, uint32_t width,
                                             int32_t rotation, imaging::Status* status);

// A bitmap of layer's format and the given size, cleared to transparent
// black, with layer drawn stretched over it; null when it cannot be made.
std::unique_ptr<imaging::Bitmap> RescaleLayer(const imaging::Bitmap& layer, int32_t width,
                                              int32_t height, imaging::InterpolationMode mode);

// A copy of layer turned clockwise by degrees (90, 180, 270; others copy).
std::unique_ptr<imaging::Bitmap> TurnedCopy(const imaging::Bitmap& layer, int32_t degrees);

}  // namespace varn::imagedoc
