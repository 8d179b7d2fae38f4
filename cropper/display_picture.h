// The picture as the cropper shows it: turned upright, scaled to the display
// size and kept as opaque pixel rows, which the window paint copies and
// blends straight onto its surface.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "cropper/crop_selection.h"
#include "platform/com/types.h"
#include "platform/imaging/bitmap.h"

namespace varn::cropper {

class DisplayPicture {
 public:
  // Null when the picture is empty or the display pixels cannot be made.
  static std::unique_ptr<DisplayPicture> FromPicture(const imaging::Bitmap& picture);

  DisplaySize Size() const { return size_; }
  // The rows as a surface for the device context; valid while this lives.
  VarnSurface Surface() const;

 private:
  DisplayPicture(DisplaySize size, std::vector<uint32_t> pixels)
      : size_(size), pixels_(std::move(pixels)) {}

  DisplaySize size_;
  std::vector<uint32_t> pixels_;
};

// The file by path, upright by its EXIF orientation: a regular file within the
// decode limits, else null (a directory, device or FIFO never blocks).
std::unique_ptr<DisplayPicture> LoadDisplayPicture(std::string_view utf8Path);

// Clears target to opaque white and draws the `from` region of source over
// all of it twice, first by whole pixels and then filtered: the way every
// picture of the cropper is scaled.
void DrawScaled(imaging::Bitmap& target, const imaging::Bitmap& source, const imaging::Rect& from);

}  // namespace varn::cropper
