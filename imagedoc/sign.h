// The picture signature and the text stamp: how big a signature is drawn,
// where either lands on the picture, and how a stamp's text is laid out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "imagedoc/history_node.h"
#include "platform/imaging/geometry.h"
#include "platform/imaging/graphics.h"

namespace varn::imagedoc {

// Signature kinds and stamp shapes; other values draw nothing.
inline constexpr int32_t kSignPicture = 0;
inline constexpr int32_t kSignStamp = 1;
inline constexpr int32_t kStampCircle = 0;
inline constexpr int32_t kStampBox = 1;

// A signature's own size, or fitted into 100 x 100 keeping its aspect.
imaging::Size FittedSignatureSize(imaging::Size size);

// Where a signature of size sign lands on a picture of size picture: 10
// pixels inside the corner of align (1 top right, 2 bottom right, 3 top left,
// 4 bottom left), or at position. A free one (align 0) past an edge is pulled
// back 10 pixels inside, and position takes the corrected coordinates.
imaging::Point PlaceSignature(int32_t align, imaging::PointF& position, imaging::Size picture,
                              imaging::Size sign);

// Every space and ideographic space becomes a line break: one word a line.
std::u16string StampLines(std::u16string_view text);

struct StampLayout {
  // Where the text is drawn from, and the box it fills.
  imaging::PointF origin;
  imaging::RectF textBox;
  // The circle's bounding square, the cut-corner box's outer rectangle, or
  // the text box for shapes without a background.
  imaging::RectF shapeBounds;
};

// A stamp whose text measured measured from its origin, shifted so that its
// shape stands 10 pixels inside the corner of align on picture (align 0 and
// other values: no shift).
StampLayout PlaceStamp(const imaging::RectF& measured, imaging::PointF origin, int32_t shape,
                       int32_t align, imaging::Size picture);

// The node's stamp measured from its sign position on graphics (whose text
// hint should be anti-aliased, as the stamp is drawn) and placed on picture;
// none for an empty text or a font that cannot be used.
std::optional<StampLayout> LayoutStamp(const CHistoryNode& node, imaging::Graphics& graphics,
                                       imaging::Size picture);

// The box one pixel outside the text, its corners cut.
std::vector<imaging::PointF> StampOctagon(const imaging::RectF& textBox);

}  // namespace varn::imagedoc
