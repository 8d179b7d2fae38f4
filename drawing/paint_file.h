// The paint file (.tbp): the document's current state kept on disk with all
// its layers and text objects, still editable when read back. Only the
// drawing is kept: no history, colour, tool settings or text defaults.
//
// Layout, every integer 32-bit little-endian, floats IEEE single, strings
// UTF-16LE, no padding: the 16-byte magic, the version, canvas width and
// height, the selected layer, the layer id counter, the layer count, that
// many layer records (id, x, y, visible, width, height, then width x height
// pixels of blue, green, red, alpha bytes, rows from the top), the text
// count and that many text records (x, y as floats, font size, alignment,
// style, colour, then the font name and the content, each as a byte count
// followed by the characters and a 0 character).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "drawing/drawing_layer.h"
#include "drawing/drawing_state.h"
#include "drawing/drawing_text.h"

namespace varn::drawing {

class CDrawingDocument;

inline constexpr std::array<uint8_t, 16> kPaintFileMagic = {
    'T', 'e', 'm', 'b', 'r', 'a', ' ', 'O', 'e', 'k', 'a', 'k', 'i', '\r', '\n', 0};
inline constexpr int32_t kPaintFileVersion = 0x1001;

// The pixels of all layers of one file together, so a file cannot make the
// reader hold more than ten canvases of the largest size.
inline constexpr int64_t kMaxPaintFilePixels = int64_t{kMaxLayers} * kMaxCanvasPixels;

// How a save ended: written, or refused with nothing written.
enum class PaintFileSave {
  Saved,
  // The folder of the file does not exist.
  NoFolder,
  // The name stands for a folder, a pipe, a device or a loop of links.
  NotAFile,
  // The file is read-only, or its folder cannot be written to.
  ReadOnly,
  // Anything else: the disk, memory, or a state LoadPaintFile would refuse.
  Failed,
};

// Writes the current state and the layer id counter to path. A symbolic link
// is saved through: the file it names is replaced and the link stays. The
// bytes go to a new file beside that file that replaces it only once
// complete, so a failed save (a full disk) leaves an earlier file as it was.
// A state beyond what LoadPaintFile accepts is refused (Failed): it would
// make a file that cannot be opened again.
PaintFileSave SavePaintFile(const CDrawingDocument& document, const std::string& utf8Path);

// Reads path into a new state linked after the current one (an undo step;
// the redo states go), with the file's canvas size, layers, selected layer
// and texts and the previous state's colour, tools and text defaults; the
// layer id counter takes the file's value. False, with the document and the
// counter unchanged, for a file that cannot be opened or that the writer
// could not have made (short, wrong magic or version, counts, sizes or layer
// offsets out of range, malformed strings, bytes after the last text).
bool LoadPaintFile(CDrawingDocument& document, const std::string& utf8Path);

// What a paint file holds, checked but not yet part of a document.
struct PaintFileContents {
  int32_t canvasWidth = 0;
  int32_t canvasHeight = 0;
  int32_t selectedLayer = 0;
  int32_t nextLayerId = 0;
  std::vector<DrawingLayer> layers;
  std::vector<DrawingText> texts;
};

// Where the reader takes its bytes from: an open file or memory.
class PaintFileSource {
 public:
  virtual ~PaintFileSource() = default;
  // Fills up to block.size() bytes and returns how many: fewer only at the
  // end of the input or on a read error.
  virtual std::size_t Read(std::span<std::byte> block) = 0;
  // How many bytes are left, so that a declared size is checked against the
  // input before anything is allocated for it.
  virtual uint64_t Remaining() const = 0;
};

// Parses a whole paint file; nullopt for anything LoadPaintFile refuses.
std::optional<PaintFileContents> ReadPaintFile(PaintFileSource& source);

// Makes checked contents the document's new current state, as LoadPaintFile
// does with a file it accepted.
void AdoptPaintFile(CDrawingDocument& document, PaintFileContents contents);

}  // namespace varn::drawing
