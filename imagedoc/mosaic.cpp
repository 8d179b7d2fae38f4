#include "imagedoc/mosaic.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

#include "platform/imaging/bitmap_data.h"

namespace varn::imagedoc {

using imaging::Bitmap;
using imaging::BitmapData;

namespace {

// Per-channel sums of one block column within a band of rows.
struct BlockSums {
  uint64_t blue = 0;
  uint64_t green = 0;
  uint64_t red = 0;
};

}  // namespace

void AverageBlocks(Bitmap& work, int32_t blockSize) {
  BitmapData data;
  const imaging::Rect whole{0, 0, static_cast<int32_t>(work.GetWidth()),
                            static_cast<int32_t>(work.GetHeight())};
  if (work.LockBits(whole, imaging::ImageLockMode::ReadWrite, imaging::PixelFormat::Format24bppRGB,
                    &data) != imaging::Status::Ok) {
    return;
  }
  const int64_t width = data.Width;
  const int64_t height = data.Height;
  // 64-bit so that a huge block size cannot overflow the grid arithmetic.
  const int64_t side = std::max<int64_t>(blockSize, 1);
  const int64_t columns = (width + side - 1) / side;
  // A picture too wide for these is left as it is.
  const std::unique_ptr<BlockSums[]> sums(new (std::nothrow) BlockSums[columns]);
  const std::unique_ptr<uint32_t[]> means(new (std::nothrow) uint32_t[columns]);
  if (!sums || !means) {
    work.UnlockBits(&data);
    return;
  }

  for (int64_t top = 0; top < height; top += side) {
    const int64_t bottom = std::min(height, top + side);
    std::fill_n(sums.get(), columns, BlockSums{});
    for (int64_t y = top; y < bottom; ++y) {
      const uint32_t* row = data.ConstRow(static_cast<int32_t>(y));
      for (int64_t column = 0; column < columns; ++column) {
        const int64_t left = column * side;
        const int64_t right = std::min(width, left + side);
        uint64_t blue = 0, green = 0, red = 0;
        for (int64_t x = left; x < right; ++x) {
          const uint32_t pixel = row[x];
          blue += pixel & 0xFF;
          green += (pixel >> 8) & 0xFF;
          red += (pixel >> 16) & 0xFF;
        }
        BlockSums& block = sums[static_cast<size_t>(column)];
        block.blue += blue;
        block.green += green;
        block.red += red;
      }
    }
    for (int64_t column = 0; column < columns; ++column) {
      const int64_t left = column * side;
      // Every block holds at least one pixel; the floor only says so.
      const auto count = static_cast<uint64_t>(
          std::max<int64_t>(1, (std::min(width, left + side) - left) * (bottom - top)));
      const BlockSums& block = sums[static_cast<size_t>(column)];
      means[static_cast<size_t>(column)] = 0xFF000000u |
                                           static_cast<uint32_t>(block.red / count) << 16 |
                                           static_cast<uint32_t>(block.green / count) << 8 |
                                           static_cast<uint32_t>(block.blue / count);
    }
    for (int64_t y = top; y < bottom; ++y) {
      uint32_t* row = data.Row(static_cast<int32_t>(y));
      for (int64_t column = 0; column < columns; ++column) {
        const int64_t left = column * side;
        const int64_t right = std::min(width, left + side);
        std::fill(row + left, row + right, means[static_cast<size_t>(column)]);
      }
    }
  }
  work.UnlockBits(&data);
}

}  // namespace varn::imagedoc
