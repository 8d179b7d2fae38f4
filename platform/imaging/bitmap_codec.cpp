// Decoding and encoding of bitmaps through Qt's image readers and writers.
#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPixelFormat>
#include <istream>
#include <new>
#include <span>
#include <utility>

#include "platform/imaging/bitmap.h"
#include "platform/imaging/bitmap_access.h"
#include "platform/imaging/qt_convert.h"

#include <sys/mman.h>

namespace varn::imaging {

namespace {

// Big enough for the largest accepted picture even when the decoder produces
// 64 bits per pixel on the way; the pixel count is checked before decoding.
constexpr int kReaderAllocationLimitMb = 1024;
constexpr int kDefaultJpegQuality = 75;

bool IsAcceptedFormat(const QByteArray& format) {
  return format == "png" || format == "jpeg" || format == "jpg" || format == "gif" ||
         format == "bmp";
}

bool IsTooLarge(const QSize& size) {
  return int64_t{size.width()} * size.height() > kMaxBitmapPixels;
}

// Qt's GIF decoder makes the picture as large as the logical screen whenever
// the screen gives a size, while its header scan reports the first frame's
// size when the screen seems too large for it: a few bytes could otherwise
// have the decoder clear a gigabyte before the pixel limit is checked.
QSize GifDecodedSize(QIODevice& device, const QSize& declared) {
  if (device.isSequential()) return declared;
  const qint64 position = device.pos();
  if (!device.seek(0)) return declared;
  const QByteArray head = device.read(10);
  device.seek(position);
  if (head.size() < 10) return declared;
  const auto byteAt = [&head](int index) { return static_cast<uint8_t>(head[index]); };
  const int screenWidth = byteAt(6) | byteAt(7) << 8;
  const int screenHeight = byteAt(8) | byteAt(9) << 8;
  return QSize(screenWidth > 0 ? screenWidth : declared.width(),
               screenHeight > 0 ? screenHeight : declared.height());
}

// The EXIF orientation (1 to 8) of each of Qt's transformations, by value.
constexpr int kExifOrientationOf[8] = {1, 2, 4, 3, 6, 7, 5, 8};

// Checks what reader's header says; the size is the upright one when
// orientation asks for it.
PictureHeader CheckHeader(QImageReader& reader, DecodeOrientation orientation) {
  // Only the four picture formats; other readers (text-based ones among
  // them) would accept files that are not pictures.
  if (!IsAcceptedFormat(reader.format())) return {Status::UnknownImageFormat};
  // The size comes from the header alone; a header that does not give one
  // belongs to a broken file, which is not decoded either.
  QSize declared = reader.size();
  if (!declared.isValid() || declared.isEmpty()) return {Status::UnknownImageFormat};
  if (reader.format() == "gif") declared = GifDecodedSize(*reader.device(), declared);
  if (IsTooLarge(declared)) return {Status::OutOfMemory};
  PictureHeader header{Status::Ok, static_cast<uint32_t>(declared.width()),
                       static_cast<uint32_t>(declared.height())};
  if (orientation == DecodeOrientation::Upright) {
    const int transformation = static_cast<int>(reader.transformation()) & 7;
    header.exifOrientation = kExifOrientationOf[transformation];
    if (transformation & QImageIOHandler::TransformationRotate90) {
      std::swap(header.width, header.height);
    }
  }
  return header;
}

void PrepareReader(QImageReader& reader, DecodeOrientation orientation) {
  QImageReader::setAllocationLimit(kReaderAllocationLimitMb);
  reader.setDecideFormatFromContent(true);
  reader.setAutoTransform(orientation == DecodeOrientation::Upright);
}

// Large pictures are decoded into memory of their own advised for huge
// pages: a fresh 48 MB buffer faulted in page by page costs about as much as
// decoding the photo into it. Smaller ones, and any mapping that fails, take
// the reader's own allocation.
constexpr size_t kMappedImageMinBytes = size_t{8} << 20;

struct ImageMapping {
  void* address;
  size_t bytes;
};

void UnmapImage(void* info) {
  auto* mapping = static_cast<ImageMapping*>(info);
  munmap(mapping->address, mapping->bytes);
  delete mapping;
}

QImage MappedImage(const QSize& size, QImage::Format format) {
  if (format == QImage::Format_Invalid || !size.isValid()) return {};
  const qsizetype depth = QImage::toPixelFormat(format).bitsPerPixel();
  const qsizetype bytesPerLine = (qsizetype{size.width()} * depth + 31) / 32 * 4;
  const size_t bytes = static_cast<size_t>(bytesPerLine) * static_cast<size_t>(size.height());
  if (bytes < kMappedImageMinBytes) return {};
  void* address = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (address == MAP_FAILED) return {};
  madvise(address, bytes, MADV_HUGEPAGE);
  auto* mapping = new (std::nothrow) ImageMapping{address, bytes};
  if (mapping == nullptr) {
    munmap(address, bytes);
    return {};
  }
  return QImage(static_cast<uchar*>(address), size.width(), size.height(), bytesPerLine, format,
                &UnmapImage, mapping);
}

// Fills image with the picture on device, or says why not. The reader (and
// with it any copy a handler keeps) is gone on return, so image is then the
// pixels' only owner.
Status ReadImage(QIODevice& device, DecodeOrientation orientation, QImage& image) {
  QImageReader reader(&device);
  PrepareReader(reader, orientation);
  // Checked before a single pixel is decoded; the reader only turns the
  // picture after decoding it, which keeps the pixel count.
  const PictureHeader header = CheckHeader(reader, orientation);
  if (header.status != Status::Ok) return header.status;
  // A reader keeps an image of its own size and format and decodes into it.
  // Flips and half turns are left to the reader's own image, which it can
  // turn in place; quarter turns need a second image anyway.
  const auto turn = orientation == DecodeOrientation::Upright ? reader.transformation()
                                                              : QImageIOHandler::TransformationNone;
  if (reader.format() != "gif" && (turn == QImageIOHandler::TransformationNone ||
                                   (turn & QImageIOHandler::TransformationRotate90) != 0)) {
    image = MappedImage(reader.size(), reader.imageFormat());
  }
  if (!reader.read(&image) || image.isNull()) return Status::UnknownImageFormat;
  if (IsTooLarge(image.size())) return Status::OutOfMemory;
  // Upright pictures are laid out by their header's size before they are
  // decoded: pixels of another size come from a header that lied, and are
  // refused rather than handed to a caller that trusted it.
  if (orientation == DecodeOrientation::Upright &&
      (static_cast<uint32_t>(image.width()) != header.width ||
       static_cast<uint32_t>(image.height()) != header.height)) {
    return Status::UnknownImageFormat;
  }
  return Status::Ok;
}

std::unique_ptr<Bitmap> DecodeUnguarded(QIODevice& device, DecodeOrientation orientation) {
  QImage image;
  const Status status = ReadImage(device, orientation, image);
  if (status != Status::Ok) return BitmapAccess::Failed(status);
  const PixelFormat format = NaturalFormatOf(image);
  // Handed over with a single owner: Adopt sets the resolution, which copies
  // every pixel of an image that is still shared (a 48 MB pass for a photo).
  QImage stored = ToStorageFormat(image, format);
  image = QImage();
  return BitmapAccess::Adopt(std::move(stored), format);
}

// Reads the caller's bytes in place.
QByteArray ViewOf(std::span<const uint8_t> bytes) {
  return QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                 static_cast<qsizetype>(bytes.size()));
}

// Which Qt writer stands for an encoder class identifier; null when none.
const char* WriterFormatFor(const CLSID& encoder) {
  if (encoder == kBmpEncoderClsid) return "bmp";
  if (encoder == kJpegEncoderClsid) return "jpeg";
  if (encoder == kPngEncoderClsid) return "png";
  if (encoder == kTiffEncoderClsid) return "tiff";
  if (encoder == kGifEncoderClsid) return "gif";
  return nullptr;
}

}  // namespace

PictureHeader ReadPictureHeader(std::span<const uint8_t> bytes) {
  try {
    if (static_cast<int64_t>(bytes.size()) > kMaxEncodedBytes) return {Status::OutOfMemory};
    QBuffer buffer;
    buffer.setData(ViewOf(bytes));
    if (!buffer.open(QIODevice::ReadOnly)) return {Status::GenericError};
    QImageReader reader(&buffer);
    PrepareReader(reader, DecodeOrientation::Upright);
    return CheckHeader(reader, DecodeOrientation::Upright);
  } catch (const std::bad_alloc&) {
    return {Status::OutOfMemory};
  } catch (...) {
    return {Status::GenericError};
  }
}

std::unique_ptr<Bitmap> DecodePicture(std::span<const uint8_t> bytes,
                                      DecodeOrientation orientation) {
  try {
    if (static_cast<int64_t>(bytes.size()) > kMaxEncodedBytes) {
      return BitmapAccess::Failed(Status::OutOfMemory);
    }
    QBuffer buffer;
    buffer.setData(ViewOf(bytes));
    if (!buffer.open(QIODevice::ReadOnly)) return BitmapAccess::Failed(Status::GenericError);
    return DecodeUnguarded(buffer, orientation);
  } catch (const std::bad_alloc&) {
    return BitmapAccess::Failed(Status::OutOfMemory);
  } catch (...) {
    return BitmapAccess::Failed(Status::GenericError);
  }
}

std::unique_ptr<Bitmap> Bitmap::FromFile(std::string_view utf8Path) {
  try {
    QFile file(QString::fromUtf8(utf8Path.data(), static_cast<qsizetype>(utf8Path.size())));
    if (!file.exists()) return BitmapAccess::Failed(Status::FileNotFound);
    if (!file.open(QIODevice::ReadOnly)) return BitmapAccess::Failed(Status::Win32Error);
    return DecodeUnguarded(file, DecodeOrientation::AsStored);
  } catch (const std::bad_alloc&) {
    return BitmapAccess::Failed(Status::OutOfMemory);
  } catch (...) {
    return BitmapAccess::Failed(Status::GenericError);
  }
}

std::unique_ptr<Bitmap> Bitmap::FromStream(std::istream& stream) {
  try {
    QByteArray bytes;
    char chunk[64 * 1024];
    while (stream.good()) {
      stream.read(chunk, sizeof chunk);
      const std::streamsize got = stream.gcount();
      if (got <= 0) break;
      if (bytes.size() + got > kMaxEncodedBytes) return BitmapAccess::Failed(Status::OutOfMemory);
      bytes.append(chunk, static_cast<qsizetype>(got));
    }
    if (stream.bad()) return BitmapAccess::Failed(Status::Win32Error);
    return DecodePicture(std::span(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                   static_cast<size_t>(bytes.size())),
                         DecodeOrientation::AsStored);
  } catch (const std::bad_alloc&) {
    return BitmapAccess::Failed(Status::OutOfMemory);
  } catch (...) {
    return BitmapAccess::Failed(Status::GenericError);
  }
}

std::unique_ptr<Bitmap> Bitmap::FromMemory(std::span<const uint8_t> bytes) {
  return DecodePicture(bytes, DecodeOrientation::AsStored);
}

namespace {

// Encodes the picture through writer, which knows where to; it opens a file
// it was given by name only when writing.
Status WriteImage(const Bitmap::Impl& impl, QImageWriter& writer, const CLSID& encoder,
                  const EncoderParameters* params) {
  if (CreationStatusOf(impl) != Status::Ok) return CreationStatusOf(impl);
  const char* format = WriterFormatFor(encoder);
  if (format == nullptr) return Report(impl, Status::UnknownImageFormat);
  if (!QImageWriter::supportedImageFormats().contains(format)) {
    return Report(impl, Status::NotImplemented);
  }
  int quality = kDefaultJpegQuality;
  if (params != nullptr && params->Quality) {
    if (*params->Quality > 100) return Report(impl, Status::InvalidParameter);
    quality = static_cast<int>(*params->Quality);
  }
  try {
    writer.setFormat(format);
    if (encoder == kJpegEncoderClsid) writer.setQuality(quality);
    if (writer.write(ImageOf(impl))) return Report(impl, Status::Ok);
    switch (writer.error()) {
      case QImageWriter::DeviceError:
        return Report(impl, Status::Win32Error);
      case QImageWriter::UnsupportedFormatError:
        return Report(impl, Status::NotImplemented);
      default:
        return Report(impl, Status::GenericError);
    }
  } catch (const std::bad_alloc&) {
    return Report(impl, Status::OutOfMemory);
  } catch (...) {
    return Report(impl, Status::GenericError);
  }
}

}  // namespace

Status Bitmap::Save(std::string_view utf8Path, const CLSID& encoder,
                    const EncoderParameters* params) const {
  if (!impl_) return Status::InvalidParameter;
  try {
    QImageWriter writer(
        QString::fromUtf8(utf8Path.data(), static_cast<qsizetype>(utf8Path.size())));
    return WriteImage(*impl_, writer, encoder, params);
  } catch (const std::bad_alloc&) {
    return Report(*impl_, Status::OutOfMemory);
  }
}

Status Bitmap::Save(int fd, const CLSID& encoder, const EncoderParameters* params) const {
  if (!impl_ || fd < 0) return Status::InvalidParameter;
  try {
    QFile file;
    if (!file.open(fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle)) {
      return Report(*impl_, Status::Win32Error);
    }
    QImageWriter writer(&file, QByteArray());
    return WriteImage(*impl_, writer, encoder, params);
  } catch (const std::bad_alloc&) {
    return Report(*impl_, Status::OutOfMemory);
  }
}

}  // namespace varn::imaging
