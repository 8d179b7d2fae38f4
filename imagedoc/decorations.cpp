// FIXME: texts, balloons, signatures, stamps and frames are not drawn yet;
// until they are, the overlays leave the picture as it is, a frame adds no
// margin, and the signature cannot be hit.
#include "imagedoc/decorations.h"

namespace varn::imagedoc {

void DrawTextItems(const CHistoryNode& /*node*/, imaging::Bitmap& /*image*/,
                   bool /*showSelection*/) {}

void DrawSign(CHistoryNode& /*node*/, imaging::Bitmap& /*image*/) {}

void DrawFrame(const CHistoryNode& /*node*/, std::unique_ptr<imaging::Bitmap>& /*image*/) {}

std::optional<imaging::RectF> FreeSignBounds(const CHistoryNode& /*node*/) { return std::nullopt; }

}  // namespace varn::imagedoc
