// Reading a paint file. Every count and size is checked against its limit and
// against the bytes still in the input before anything is made for it, so a
// short or hostile file costs no more memory than its own length. Pixels are
// read straight into the rows of bitmaps made without clearing: a layer is
// kept only once every one of its bytes came from the input.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "drawing/drawing_document.h"
#include "drawing/drawing_state.h"
#include "drawing/paint_file.h"
#include "drawing/paint_file_limits.h"
#include "platform/imaging/bitmap.h"
#include "platform/system/file_reader.h"

namespace varn::drawing {

namespace {

// Bytes on disk are the bytes in memory: blue, green, red, alpha is the
// little-endian order of 0xAARRGGBB.
constexpr bool kPixelsAsStored = std::endian::native == std::endian::little;

class PaintFileCursor {
 public:
  explicit PaintFileCursor(PaintFileSource& source) : source_(source) {}

  bool Bytes(std::span<std::byte> block) { return source_.Read(block) == block.size(); }

  bool Int32(int32_t* value) {
    std::array<std::byte, 4> bytes{};
    if (!Bytes(bytes)) return false;
    uint32_t v = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      v |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    }
    *value = static_cast<int32_t>(v);
    return true;
  }

  bool Float(float* value) {
    int32_t bits = 0;
    if (!Int32(&bits)) return false;
    std::memcpy(value, &bits, sizeof(float));
    return true;
  }

  bool Holds(uint64_t count) const { return source_.Remaining() >= count; }
  bool AtEnd() {
    std::byte extra{};
    return source_.Remaining() == 0 && source_.Read(std::span(&extra, 1)) == 0;
  }

 private:
  PaintFileSource& source_;
};

bool ReadHeader(PaintFileCursor& cursor, PaintFileContents& contents, int32_t* layerCount) {
  std::array<std::byte, kPaintFileMagic.size()> magic{};
  if (!cursor.Bytes(magic)) return false;
  if (std::memcmp(magic.data(), kPaintFileMagic.data(), magic.size()) != 0) return false;
  int32_t version = 0;
  if (!cursor.Int32(&version) || version != kPaintFileVersion) return false;
  if (!cursor.Int32(&contents.canvasWidth) || !cursor.Int32(&contents.canvasHeight) ||
      !cursor.Int32(&contents.selectedLayer) || !cursor.Int32(&contents.nextLayerId) ||
      !cursor.Int32(layerCount)) {
    return false;
  }
  return IsValidCanvasSize(contents.canvasWidth, contents.canvasHeight) && *layerCount >= 1 &&
         *layerCount <= kMaxLayers && contents.selectedLayer >= 0 &&
         contents.selectedLayer < *layerCount;
}

bool ReadPixels(PaintFileCursor& cursor, imaging::Bitmap& bitmap) {
  const int32_t width = static_cast<int32_t>(bitmap.GetWidth());
  const int32_t height = static_cast<int32_t>(bitmap.GetHeight());
  imaging::BitmapData data;
  if (bitmap.LockBits(imaging::Rect{0, 0, width, height}, imaging::ImageLockMode::Write,
                      imaging::PixelFormat::Format32bppARGB, &data) != imaging::Status::Ok) {
    return false;
  }
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
  bool complete = true;
  if (static_cast<std::size_t>(data.Stride) == rowBytes) {
    complete = cursor.Bytes(std::as_writable_bytes(std::span(
        data.Row(0), static_cast<std::size_t>(width) * static_cast<std::size_t>(height))));
  } else {
    for (int32_t y = 0; y < height && complete; ++y) {
      complete = cursor.Bytes(
          std::as_writable_bytes(std::span(data.Row(y), static_cast<std::size_t>(width))));
    }
  }
  if (!kPixelsAsStored && complete) {
    for (int32_t y = 0; y < height; ++y) {
      uint32_t* row = data.Row(y);
      for (int32_t x = 0; x < width; ++x) {
        std::array<uint8_t, 4> p{};
        std::memcpy(p.data(), &row[x], 4);
        row[x] = uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
      }
    }
  }
  return bitmap.UnlockBits(&data) == imaging::Status::Ok && complete;
}

bool ReadLayer(PaintFileCursor& cursor, int64_t* pixelBudget, DrawingLayer* layer) {
  int32_t width = 0;
  int32_t height = 0;
  if (!cursor.Int32(&layer->id) || !cursor.Int32(&layer->x) || !cursor.Int32(&layer->y) ||
      !cursor.Int32(&layer->visible) || !cursor.Int32(&width) || !cursor.Int32(&height)) {
    return false;
  }
  if (layer->visible != 0 && layer->visible != 1) return false;
  if (!IsStorableLayerOffset(layer->x, layer->y)) return false;
  if (!IsStorableLayerSize(width, height)) return false;
  const int64_t pixels = int64_t{width} * height;
  if (pixels > *pixelBudget || !cursor.Holds(static_cast<uint64_t>(pixels) * 4)) return false;
  *pixelBudget -= pixels;
  // Every pixel is read before the layer is kept, so none needs clearing.
  auto bitmap = std::make_shared<imaging::Bitmap>(
      width, height, imaging::PixelFormat::Format32bppARGB, imaging::BitmapFill::Uninitialized);
  if (bitmap->GetLastStatus() != imaging::Status::Ok || !ReadPixels(cursor, *bitmap)) return false;
  layer->bitmap = std::move(bitmap);
  return true;
}

// A byte count, the UTF-16LE characters and their 0 character; the string
// ends at its first 0.
bool ReadString(PaintFileCursor& cursor, std::size_t maxLength, std::u16string* text) {
  int32_t byteCount = 0;
  if (!cursor.Int32(&byteCount)) return false;
  if (byteCount < 2 || byteCount % 2 != 0) return false;
  const std::size_t units = static_cast<std::size_t>(byteCount) / 2;
  if (units - 1 > maxLength || !cursor.Holds(static_cast<uint64_t>(byteCount))) return false;
  std::vector<std::byte> bytes(static_cast<std::size_t>(byteCount));
  if (!cursor.Bytes(bytes)) return false;
  text->resize(units);
  for (std::size_t i = 0; i < units; ++i) {
    (*text)[i] = static_cast<char16_t>(static_cast<uint16_t>(bytes[2 * i]) |
                                       static_cast<uint16_t>(bytes[2 * i + 1]) << 8);
  }
  if (text->back() != u'\0') return false;
  text->resize(text->find(u'\0'));
  return true;
}

bool ReadText(PaintFileCursor& cursor, DrawingText* text) {
  if (!cursor.Float(&text->x) || !cursor.Float(&text->y) || !cursor.Int32(&text->fontSize) ||
      !cursor.Int32(&text->align) || !cursor.Int32(&text->style) || !cursor.Int32(&text->colour)) {
    return false;
  }
  if (!std::isfinite(text->x) || !std::isfinite(text->y)) return false;
  text->colour &= static_cast<int32_t>(kPaintFileRgbMask);
  return ReadString(cursor, kMaxFontNameLength, &text->fontName) &&
         ReadString(cursor, kMaxTextLength, &text->text);
}

bool ReadTexts(PaintFileCursor& cursor, std::vector<DrawingText>* texts) {
  int32_t count = 0;
  if (!cursor.Int32(&count)) return false;
  if (count < 0 || static_cast<std::size_t>(count) > kMaxTextObjects) return false;
  if (!cursor.Holds(static_cast<uint64_t>(count) * kMinTextRecordBytes)) return false;
  texts->resize(static_cast<std::size_t>(count));
  for (DrawingText& text : *texts) {
    if (!ReadText(cursor, &text)) return false;
  }
  return true;
}

class FileSource final : public PaintFileSource {
 public:
  FileSource(system::FileReader& reader, uint64_t size) : reader_(reader), remaining_(size) {}

  std::size_t Read(std::span<std::byte> block) override {
    std::size_t total = 0;
    while (total < block.size()) {
      const std::size_t count = reader_.Read(block.subspan(total));
      if (count == 0) break;
      total += count;
    }
    remaining_ -= std::min<uint64_t>(remaining_, total);
    return total;
  }
  uint64_t Remaining() const override { return remaining_; }

 private:
  system::FileReader& reader_;
  uint64_t remaining_;
};

}  // namespace

std::optional<PaintFileContents> ReadPaintFile(PaintFileSource& source) {
  PaintFileCursor cursor(source);
  PaintFileContents contents;
  int32_t layerCount = 0;
  if (!ReadHeader(cursor, contents, &layerCount)) return std::nullopt;
  int64_t pixelBudget = kMaxPaintFilePixels;
  contents.layers.resize(static_cast<std::size_t>(layerCount));
  for (DrawingLayer& layer : contents.layers) {
    if (!ReadLayer(cursor, &pixelBudget, &layer)) return std::nullopt;
  }
  if (!ReadTexts(cursor, &contents.texts)) return std::nullopt;
  if (!cursor.AtEnd()) return std::nullopt;
  return contents;
}

bool LoadPaintFile(CDrawingDocument& document, const std::string& utf8Path) {
  auto reader = system::FileReader::Open(utf8Path);
  if (!reader) return false;
  const auto size = reader.value.Size();
  if (!size) return false;
  FileSource source(reader.value, size.value);
  std::optional<PaintFileContents> contents;
  try {
    contents = ReadPaintFile(source);
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (!contents) return false;
  AdoptPaintFile(document, std::move(*contents));
  return true;
}

void AdoptPaintFile(CDrawingDocument& document, PaintFileContents contents) {
  auto state = std::make_unique<CDrawingState>();
  CopyStateSettings(*document.current, *state);
  state->canvasWidth = contents.canvasWidth;
  state->canvasHeight = contents.canvasHeight;
  state->selectedLayer = contents.selectedLayer;
  state->layers = std::move(contents.layers);
  state->texts = std::move(contents.texts);
  state->selectedText = -1;
  nextLayerId = contents.nextLayerId;
  document.LinkState(std::move(state));
}

}  // namespace varn::drawing
