// FIXME: frames are not drawn yet; until they are, a frame adds no margin.
#include "imagedoc/decorations.h"

namespace varn::imagedoc {

void DrawFrame(const CHistoryNode& /*node*/, std::unique_ptr<imaging::Bitmap>& /*image*/) {}

}  // namespace varn::imagedoc
