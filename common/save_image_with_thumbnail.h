// Writes a picture and its 160 x 120 thumbnail to new files in the private
// temporary directory, ready for upload: img<N>.png and img<N>_t.png, or
// img<N>.jpg and img<N>_t.jpg, next to the placeholder img<N>.tmp that
// reserves the number. The files are made, owner-only, in the directory that
// passed its check and written through its descriptor. A caller that gives a
// CSubmitFiles has them removed with it; otherwise they stay.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/imaging/bitmap.h"
#include "platform/imaging/geometry.h"
#include "platform/system/temp_directory.h"

namespace varn {

enum class PictureFileType { Png, Jpeg };

inline constexpr int32_t kThumbnailWidth = 160;
inline constexpr int32_t kThumbnailHeight = 120;
inline constexpr uint32_t kJpegPictureQuality = 80;
inline constexpr uint32_t kJpegThumbnailQuality = 100;

// Where a picture of that size is drawn in the thumbnail: pictures wider than
// 4:3 span its width, the others its height, centred on the other axis.
imaging::Rect ThumbnailPlacement(uint32_t width, uint32_t height);

class CSubmitFiles;

// True when both files were written. The paths are handed out as soon as the
// names exist, so the caller has them even when a save then fails; they stay
// untouched when no name could be made. A failed save leaves no file of that
// name, and a failed picture save makes no thumbnail. Both out-pointers are
// required (false otherwise, nothing made). files, when given, takes charge
// of every file made, placeholder included, written or not.
bool SaveImageWithThumbnail(const imaging::Bitmap& image, PictureFileType type,
                            std::string* picturePath, std::string* thumbnailPath,
                            CSubmitFiles* files = nullptr);

// The same in a given directory instead of the private temporary directory.
bool SaveImageWithThumbnailIn(const system::OpenDirectory& directory, const imaging::Bitmap& image,
                              PictureFileType type, std::string* picturePath,
                              std::string* thumbnailPath, CSubmitFiles* files = nullptr);
bool SaveImageWithThumbnailIn(std::string_view directory, const imaging::Bitmap& image,
                              PictureFileType type, std::string* picturePath,
                              std::string* thumbnailPath);

}  // namespace varn
