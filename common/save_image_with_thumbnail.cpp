#include "common/save_image_with_thumbnail.h"

#include <unistd.h>

#include "common/encoder_lookup.h"
#include "common/submit_files.h"
#include "platform/imaging/graphics.h"
#include "platform/imaging/image_codec.h"
#include "platform/system/temp_directory.h"
#include "platform/system/temp_file_name.h"
#include "platform/system/unique_fd.h"

namespace varn {
namespace {

using imaging::Bitmap;
using imaging::EncoderParameters;
using imaging::Status;

// The single-precision value of 4/3: a 4:3 picture itself is not "wider".
constexpr float kWideRatio = 1.3333334f;
constexpr uint32_t kOpaqueWhite = 0xFFFFFFFFu;

struct FileFormat {
  std::u16string_view mimeType;
  std::string_view extension;
  EncoderParameters pictureParams;
  EncoderParameters thumbnailParams;
};

FileFormat FormatFor(PictureFileType type) {
  if (type == PictureFileType::Jpeg) {
    return {u"image/jpeg", "jpg", {kJpegPictureQuality}, {kJpegThumbnailQuality}};
  }
  return {u"image/png", "png", {}, {}};
}

// Writes the file `name` anew, owner-only, in directory; nothing of that name
// stays when the write fails.
template <typename Write>
bool WriteNewFile(const system::OpenDirectory& directory, const std::string& name, Write write) {
  system::FileResult<system::UniqueFd> file = directory.CreateFileForWriting(name);
  if (!file) return false;
  if (write(file.value.Get()) && ::close(file.value.Release()) == 0) return true;
  directory.RemoveFile(name);
  return false;
}

bool SaveThumbnail(const Bitmap& image, int fd, const CLSID& encoder,
                   const EncoderParameters& params) {
  Bitmap thumbnail(kThumbnailWidth, kThumbnailHeight, imaging::PixelFormat::Format24bppRGB);
  {
    imaging::Graphics graphics(thumbnail);
    graphics.Clear(kOpaqueWhite);
    const imaging::Rect place = ThumbnailPlacement(image.GetWidth(), image.GetHeight());
    const auto width = static_cast<int32_t>(image.GetWidth());
    const auto height = static_cast<int32_t>(image.GetHeight());
    // The second, filtered pass blends over the first where the picture is
    // transparent, as the uploaded thumbnails always looked.
    graphics.SetInterpolationMode(imaging::InterpolationMode::Default);
    graphics.DrawImage(image, place, 0, 0, width, height);
    graphics.SetInterpolationMode(imaging::InterpolationMode::HighQualityBilinear);
    graphics.DrawImage(image, place, 0, 0, width, height);
  }
  return thumbnail.Save(fd, encoder, &params) == Status::Ok;
}

}  // namespace

imaging::Rect ThumbnailPlacement(uint32_t width, uint32_t height) {
  if (width == 0 || height == 0) return {};
  const float ratio = static_cast<float>(width) / static_cast<float>(height);
  if (ratio > kWideRatio) {
    const auto drawnHeight = static_cast<int32_t>(static_cast<float>(kThumbnailWidth) / ratio);
    return {0, (kThumbnailHeight - drawnHeight) / 2, kThumbnailWidth, drawnHeight};
  }
  const auto drawnWidth = static_cast<int32_t>(ratio * static_cast<float>(kThumbnailHeight));
  return {(kThumbnailWidth - drawnWidth) / 2, 0, drawnWidth, kThumbnailHeight};
}

bool SaveImageWithThumbnailIn(const system::OpenDirectory& directory, const Bitmap& image,
                              PictureFileType type, std::string* picturePath,
                              std::string* thumbnailPath, CSubmitFiles* files) {
  if (picturePath == nullptr || thumbnailPath == nullptr) return false;
  const auto placeholder = system::GetTempFileName(directory, "img");
  if (!placeholder) return false;

  const FileFormat format = FormatFor(type);
  // img<N>.tmp -> img<N>.png -> img<N>_t.png
  const std::string placeholderName = placeholder.value.substr(directory.Path().size());
  std::string picture = placeholderName.substr(0, placeholderName.size() - 3);
  picture += format.extension;
  std::string thumbnail = picture.substr(0, picture.size() - 4);
  thumbnail += "_t.";
  thumbnail += format.extension;
  if (files != nullptr) {
    files->Add(directory, placeholderName);
    files->Add(directory, picture);
    files->Add(directory, thumbnail);
  }
  *picturePath = directory.Path() + picture;
  *thumbnailPath = directory.Path() + thumbnail;
  if (directory.RemoveFile(picture) != system::FileError::None ||
      directory.RemoveFile(thumbnail) != system::FileError::None) {
    return false;
  }

  CLSID encoder{};
  if (FindEncoderByMimeType(format.mimeType, &encoder) < 0) return false;
  return WriteNewFile(directory, picture,
                      [&](int fd) {
                        return image.Save(fd, encoder, &format.pictureParams) == Status::Ok;
                      }) &&
         WriteNewFile(directory, thumbnail, [&](int fd) {
           return SaveThumbnail(image, fd, encoder, format.thumbnailParams);
         });
}

bool SaveImageWithThumbnailIn(std::string_view directory, const Bitmap& image, PictureFileType type,
                              std::string* picturePath, std::string* thumbnailPath) {
  if (picturePath == nullptr || thumbnailPath == nullptr) return false;
  const auto opened = system::OpenDirectoryAt(directory);
  if (!opened) return false;
  return SaveImageWithThumbnailIn(opened.value, image, type, picturePath, thumbnailPath);
}

bool SaveImageWithThumbnail(const Bitmap& image, PictureFileType type, std::string* picturePath,
                            std::string* thumbnailPath, CSubmitFiles* files) {
  if (picturePath == nullptr || thumbnailPath == nullptr) return false;
  // Checked on every use: the directory may have been replaced since.
  const auto directory = system::OpenTempDirectory();
  if (!directory) return false;
  return SaveImageWithThumbnailIn(directory.value, image, type, picturePath, thumbnailPath, files);
}

}  // namespace varn
