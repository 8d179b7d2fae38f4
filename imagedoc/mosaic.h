// The pixel work of the mosaic tool: averaging blocks of a work picture cut
// from the base picture.
#pragma once

#include <cstdint>

#include "platform/imaging/bitmap.h"

namespace varn::imagedoc {

// Replaces each blockSize x blockSize block of a 24bpp picture, the grid
// anchored at its top-left corner (the last column and row cut to what
// remains), by the block's mean colour (per channel sum / count, truncating).
// A block size below 1 counts as 1. A picture that cannot be locked, or is
// too wide for the block sums of one band, is left as it is.
void AverageBlocks(imaging::Bitmap& work, int32_t blockSize);

}  // namespace varn::imagedoc
