// The small corner pictures the frames lay over a picture's or a canvas's
// corners, kept as compiled-in resources (resources/corner_<id>.png) in the
// top-left orientation and turned for the other three corners.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/imaging/bitmap.h"
#include "platform/imaging/geometry.h"
#include "platform/imaging/graphics.h"

namespace varn::imagedoc {

enum CornerArtwork : int32_t {
  // 15 x 15, white outside a quarter circle, transparent inside: rounds a
  // picture's corner.
  kCornerRound15 = 1001,
  // 15 x 15 white with a gray arc: rounds a 1-pixel border.
  kCornerArc = 1002,
  // The arc with a light band inside it: rounds a 5-pixel border.
  kCornerArcBand = 1003,
  // 10 x 10, as kCornerRound15 with a smaller radius.
  kCornerRound10 = 1004,
};

// The artwork decoded in its top-left orientation; a failed bitmap when the
// resource is missing or unreadable.
std::unique_ptr<imaging::Bitmap> LoadCornerArtwork(CornerArtwork id);

// Draws the artwork at its own size into the four corners of area, turned a
// quarter clockwise from each corner to the next: top left, top right, bottom
// right, bottom left. False, drawing nothing, when the artwork is missing.
bool DrawCorners(imaging::Graphics& graphics, CornerArtwork id, const imaging::Rect& area);

}  // namespace varn::imagedoc
