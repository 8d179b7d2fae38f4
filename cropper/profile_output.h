// The three profile pictures made from the selection: where in the full-size
// picture each is cut from, and how each is scaled and written as a JPEG
// file of fixed name in the private temporary directory.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "cropper/crop_selection.h"
#include "platform/com/types.h"
#include "platform/imaging/bitmap.h"
#include "platform/imaging/geometry.h"
#include "platform/system/temp_directory.h"

namespace varn::cropper {

enum class OutputSource { kSquare, kRectangle };

struct ProfileOutput {
  int32_t width;
  int32_t height;
  OutputSource source;
  std::string_view fileName;
  std::u16string_view field;
};

enum ProfileOutputIndex : size_t { kSmallOutput = 0, kBigOutput = 1, kMiniOutput = 2 };

// In the order they are written and posted: small, big, mini.
inline constexpr std::array<ProfileOutput, 3> kProfileOutputs{{
    {148, 148, OutputSource::kSquare, "profileImage0.jpg", u"image0"},
    {148, 220, OutputSource::kRectangle, "profileImage1.jpg", u"image1"},
    {70, 70, OutputSource::kSquare, "profileImage2.jpg", u"image2"},
}};

inline constexpr uint32_t kProfileJpegQuality = 100;

// The region of a pictureWidth x pictureHeight picture under the selection,
// for a control whose client area is clientWidth x clientHeight. Horizontal
// values scale by picture width over client width, vertical positions by the
// heights; the heights of the regions scale horizontally too, so the square
// stays square and the rectangle keeps 148:220. The selection is first cut to
// the client area and the region then kept inside the picture, so no
// selection maps outside it. None for an empty client area or picture.
std::optional<imaging::Rect> SourceRegion(const CropSelection& selection, OutputSource source,
                                          uint32_t pictureWidth, uint32_t pictureHeight,
                                          int32_t clientWidth, int32_t clientHeight);

// The output's picture: the region scaled to the output's size, 24bpp.
std::unique_ptr<imaging::Bitmap> RenderProfileOutput(const imaging::Bitmap& picture,
                                                     const imaging::Rect& region,
                                                     const ProfileOutput& output);

// The path an output is written to in directory: its name after the
// directory's path and one more separator.
std::string ProfileOutputPath(const system::OpenDirectory& directory, const ProfileOutput& output);

// Replaces the file of the output's name in directory with image as a JPEG of
// quality 100; false (and no file of that name) when it cannot be written.
bool WriteProfileOutput(const system::OpenDirectory& directory, const ProfileOutput& output,
                        const imaging::Bitmap& image, const CLSID& jpegEncoder);

}  // namespace varn::cropper
