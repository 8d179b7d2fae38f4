// The overlays a rendering puts on the picture after effects and pen strokes:
// text items with their balloons, the signature or stamp, and the frame; and
// the areas of the texts and the signature for the hit test.
#pragma once

#include <memory>
#include <optional>

#include "imagedoc/history_node.h"
#include "platform/imaging/bitmap.h"
#include "platform/imaging/geometry.h"

namespace varn::imagedoc {

// Every text item in order, the selected one marked when showSelection.
void DrawTextItems(const CHistoryNode& node, imaging::Bitmap& image, bool showSelection);
// The picture signature or text stamp.
void DrawSign(CHistoryNode& node, imaging::Bitmap& image);
// Frames of a margin replace image by a larger canvas holding it.
void DrawFrame(const CHistoryNode& node, std::unique_ptr<imaging::Bitmap>& image);

// Where the signature or stamp at a free position lies, in picture
// coordinates; none when nothing is shown there.
std::optional<imaging::RectF> FreeSignBounds(const CHistoryNode& node);
// The measured area of a text item in picture coordinates; none when its
// font cannot be made.
std::optional<imaging::RectF> TextItemBounds(const TextItem& item);

}  // namespace varn::imagedoc
