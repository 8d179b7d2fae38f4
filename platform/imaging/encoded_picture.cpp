#include "platform/imaging/encoded_picture.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <span>
#include <string>
#include <utility>

#include "platform/imaging/bitmap_access.h"
#include "platform/imaging/qt_convert.h"
#include "platform/system/file_reader.h"

namespace varn::imaging {

namespace {

Status StatusOfFileError(system::FileError error) {
  switch (error) {
    case system::FileError::NotFound:
      return Status::FileNotFound;
    case system::FileError::OutOfMemory:
    case system::FileError::TooLarge:
      return Status::OutOfMemory;
    default:
      return Status::Win32Error;
  }
}

// The whole of a regular file, refused beyond kMaxEncodedBytes even when it
// grows while being read.
Status ReadEncodedFile(std::string_view utf8Path, std::vector<uint8_t>& bytes) {
  // The system would read only up to the zero, another file's name.
  if (utf8Path.find('\0') != std::string_view::npos) return Status::InvalidParameter;
  auto opened = system::FileReader::Open(std::string(utf8Path));
  if (!opened) return StatusOfFileError(opened.error);
  system::FileReader& reader = opened.value;
  const auto size = reader.Size();
  if (!size) return StatusOfFileError(size.error);
  constexpr auto kLimit = static_cast<size_t>(kMaxEncodedBytes);
  if (size.value > kLimit) return Status::OutOfMemory;
  // One byte more than the size seen, so that growth shows on the first read.
  bytes.resize(static_cast<size_t>(size.value) + 1);
  size_t filled = 0;
  for (;;) {
    if (filled == bytes.size()) {
      if (filled > kLimit) return Status::OutOfMemory;
      bytes.resize(std::min(filled * 2, kLimit + 1));
    }
    const size_t got = reader.Read(std::as_writable_bytes(std::span(bytes).subspan(filled)));
    if (got == 0) break;
    filled += got;
  }
  if (reader.LastError() != system::FileError::None) return StatusOfFileError(reader.LastError());
  bytes.resize(filled);
  return Status::Ok;
}

}  // namespace

EncodedPicture::EncodedPicture() = default;

EncodedPicture EncodedPicture::FromFile(std::string_view utf8Path) {
  EncodedPicture picture;
  try {
    std::vector<uint8_t> bytes;
    picture.status_ = ReadEncodedFile(utf8Path, bytes);
    if (picture.status_ != Status::Ok) return picture;
    return FromBytes(std::move(bytes));
  } catch (const std::bad_alloc&) {
    picture.status_ = Status::OutOfMemory;
  }
  return picture;
}

EncodedPicture EncodedPicture::FromBytes(std::vector<uint8_t> bytes) {
  EncodedPicture picture;
  const PictureHeader header = ReadPictureHeader(bytes);
  picture.status_ = header.status;
  if (header.status != Status::Ok) return picture;
  try {
    picture.bytes_ = std::make_shared<const std::vector<uint8_t>>(std::move(bytes));
  } catch (const std::bad_alloc&) {
    picture.status_ = Status::OutOfMemory;
    return picture;
  }
  picture.width_ = header.width;
  picture.height_ = header.height;
  picture.exifOrientation_ = header.exifOrientation;
  return picture;
}

Status EncodedPicture::GetStatus() const { return status_; }
uint32_t EncodedPicture::GetWidth() const { return width_; }
uint32_t EncodedPicture::GetHeight() const { return height_; }
int EncodedPicture::GetExifOrientation() const { return exifOrientation_; }
size_t EncodedPicture::GetEncodedSize() const { return bytes_ ? bytes_->size() : 0; }

std::unique_ptr<Bitmap> EncodedPicture::Decode() const {
  if (status_ != Status::Ok || !bytes_) {
    return BitmapAccess::Failed(status_ != Status::Ok ? status_ : Status::InvalidParameter);
  }
  return DecodePicture(*bytes_, DecodeOrientation::Upright);
}

std::unique_ptr<Bitmap> DecodeUprightFile(std::string_view utf8Path) {
  try {
    std::vector<uint8_t> bytes;
    const Status status = ReadEncodedFile(utf8Path, bytes);
    if (status != Status::Ok) return BitmapAccess::Failed(status);
    return DecodePicture(bytes, DecodeOrientation::Upright);
  } catch (const std::bad_alloc&) {
    return BitmapAccess::Failed(Status::OutOfMemory);
  }
}

}  // namespace varn::imaging
