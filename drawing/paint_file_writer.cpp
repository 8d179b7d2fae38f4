// Writing a paint file. The small fields are gathered in a buffer and the
// pixels go to the file straight from the layers' rows, so a save costs
// little more than the write itself. The file service follows a link to the
// file it names, refuses what is not a writable file, and replaces the
// target only once every byte is on disk.
#include <bit>
#include <cmath>
#include <cstring>
#include <new>
#include <string_view>
#include <vector>

#include "drawing/drawing_document.h"
#include "drawing/drawing_state.h"
#include "drawing/paint_file.h"
#include "drawing/paint_file_limits.h"
#include "platform/imaging/bitmap.h"
#include "platform/system/file_io.h"

namespace varn::drawing {

namespace {

// Bytes in memory are the bytes on disk: blue, green, red, alpha is the
// little-endian order of 0xAARRGGBB.
constexpr bool kPixelsAsStored = std::endian::native == std::endian::little;

class PaintFileOutput {
 public:
  explicit PaintFileOutput(system::FileSaver& saver) : saver_(saver) {}

  void Raw(std::span<const uint8_t> raw) {
    for (uint8_t b : raw) buffer_.push_back(static_cast<std::byte>(b));
  }
  void Int32(int32_t value) { UInt32(static_cast<uint32_t>(value)); }
  void UInt32(uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) {
      buffer_.push_back(static_cast<std::byte>((v >> shift) & 0xFF));
    }
  }
  void Float(float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    UInt32(bits);
  }
  // The characters and a 0 character, after their byte count.
  void String(std::u16string_view text) {
    Int32(static_cast<int32_t>((text.size() + 1) * 2));
    for (char16_t c : text) {
      buffer_.push_back(static_cast<std::byte>(c & 0xFF));
      buffer_.push_back(static_cast<std::byte>(c >> 8));
    }
    buffer_.push_back(std::byte{0});
    buffer_.push_back(std::byte{0});
  }

  // Writes what was gathered, then bytes themselves.
  bool Write(std::span<const std::byte> bytes) {
    if (!Flush()) return false;
    error_ = saver_.Write(bytes);
    return error_ == system::FileError::None;
  }
  bool Flush() {
    if (buffer_.empty()) return true;
    error_ = saver_.Write(buffer_);
    buffer_.clear();
    return error_ == system::FileError::None;
  }

  system::FileError Error() const { return error_; }

 private:
  system::FileSaver& saver_;
  std::vector<std::byte> buffer_;
  system::FileError error_ = system::FileError::None;
};

uint64_t LayerBytes(const DrawingLayer& layer) {
  return uint64_t{6} * 4 + uint64_t{layer.bitmap->GetWidth()} * layer.bitmap->GetHeight() * 4;
}

uint64_t TextBytes(const DrawingText& text) {
  return kMinTextRecordBytes + 2 * (text.fontName.size() + text.text.size());
}

// Whether LoadPaintFile would take the state back; 0 when not, else the
// file's size in bytes.
uint64_t StorableFileSize(const CDrawingState& state) {
  const auto layerCount = static_cast<int64_t>(state.layers.size());
  if (!IsValidCanvasSize(state.canvasWidth, state.canvasHeight) || layerCount < 1 ||
      layerCount > kMaxLayers || state.selectedLayer < 0 || state.selectedLayer >= layerCount ||
      state.texts.size() > kMaxTextObjects) {
    return 0;
  }
  uint64_t size = kPaintFileMagic.size() + uint64_t{6} * 4 + 4;
  int64_t pixels = 0;
  for (const DrawingLayer& layer : state.layers) {
    if (!layer.bitmap || (layer.visible != 0 && layer.visible != 1) ||
        !IsStorableLayerOffset(layer.x, layer.y)) {
      return 0;
    }
    const int64_t width = layer.bitmap->GetWidth();
    const int64_t height = layer.bitmap->GetHeight();
    if (!IsStorableLayerSize(width, height)) return 0;
    pixels += width * height;
    size += LayerBytes(layer);
  }
  if (pixels > kMaxPaintFilePixels) return 0;
  for (const DrawingText& text : state.texts) {
    if (text.fontName.size() > kMaxFontNameLength || text.text.size() > kMaxTextLength ||
        !std::isfinite(text.x) || !std::isfinite(text.y)) {
      return 0;
    }
    size += TextBytes(text);
  }
  return size;
}

bool WritePixels(PaintFileOutput& out, imaging::Bitmap& bitmap) {
  const auto width = static_cast<int32_t>(bitmap.GetWidth());
  const auto height = static_cast<int32_t>(bitmap.GetHeight());
  imaging::BitmapData data;
  if (bitmap.LockBits(imaging::Rect{0, 0, width, height}, imaging::ImageLockMode::Read,
                      imaging::PixelFormat::Format32bppARGB, &data) != imaging::Status::Ok) {
    return false;
  }
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
  bool written = true;
  if (kPixelsAsStored && static_cast<std::size_t>(data.Stride) == rowBytes) {
    written = out.Write(std::as_bytes(std::span(
        data.ConstRow(0), static_cast<std::size_t>(width) * static_cast<std::size_t>(height))));
  } else {
    std::vector<std::byte> row(rowBytes);
    for (int32_t y = 0; y < height && written; ++y) {
      const uint32_t* pixels = data.ConstRow(y);
      for (int32_t x = 0; x < width; ++x) {
        for (int32_t i = 0; i < 4; ++i) {
          row[4 * static_cast<std::size_t>(x) + static_cast<std::size_t>(i)] =
              static_cast<std::byte>((pixels[x] >> (8 * i)) & 0xFF);
        }
      }
      written = out.Write(row);
    }
  }
  return bitmap.UnlockBits(&data) == imaging::Status::Ok && written;
}

bool WriteState(PaintFileOutput& out, const CDrawingState& state) {
  out.Raw(kPaintFileMagic);
  out.Int32(kPaintFileVersion);
  out.Int32(state.canvasWidth);
  out.Int32(state.canvasHeight);
  out.Int32(state.selectedLayer);
  out.Int32(nextLayerId);
  out.Int32(static_cast<int32_t>(state.layers.size()));
  for (const DrawingLayer& layer : state.layers) {
    out.Int32(layer.id);
    out.Int32(layer.x);
    out.Int32(layer.y);
    out.Int32(layer.visible);
    out.UInt32(layer.bitmap->GetWidth());
    out.UInt32(layer.bitmap->GetHeight());
    if (!WritePixels(out, *layer.bitmap)) return false;
  }
  out.Int32(static_cast<int32_t>(state.texts.size()));
  for (const DrawingText& text : state.texts) {
    out.Float(text.x);
    out.Float(text.y);
    out.Int32(text.fontSize);
    out.Int32(text.align);
    out.Int32(text.style);
    out.Int32(static_cast<int32_t>(static_cast<uint32_t>(text.colour) & kPaintFileRgbMask));
    out.String(text.fontName);
    out.String(text.text);
  }
  return out.Flush();
}

PaintFileSave SaveResultOf(system::FileError error) {
  switch (error) {
    case system::FileError::None:
      return PaintFileSave::Saved;
    case system::FileError::NotFound:
    case system::FileError::NotDirectory:
      return PaintFileSave::NoFolder;
    case system::FileError::NotRegularFile:
    case system::FileError::IsLink:
      return PaintFileSave::NotAFile;
    case system::FileError::AccessDenied:
      return PaintFileSave::ReadOnly;
    default:
      return PaintFileSave::Failed;
  }
}

}  // namespace

PaintFileSave SavePaintFile(const CDrawingDocument& document, const std::string& utf8Path) {
  const CDrawingState& state = *document.current;
  if (StorableFileSize(state) == 0) return PaintFileSave::Failed;
  auto saver = system::FileSaver::Open(utf8Path);
  if (!saver) return SaveResultOf(saver.error);
  try {
    PaintFileOutput out(saver.value);
    // A layer that cannot be read leaves Error() at None: Failed too.
    if (!WriteState(out, state)) {
      const PaintFileSave result = SaveResultOf(out.Error());
      return result == PaintFileSave::Saved ? PaintFileSave::Failed : result;
    }
    return SaveResultOf(saver.value.Commit());
  } catch (const std::bad_alloc&) {
    // The saver removes its unfinished file; the target stays as it was.
    return PaintFileSave::Failed;
  }
}

}  // namespace varn::drawing
