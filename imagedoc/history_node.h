// One editing state of a picture. A picture's history (image_history.h) is a
// list of whole states, not of commands: a step copies the current node,
// changes the copy and pushes it; undo and redo only move the history's redo
// count. A node never holds the picture it edits: it holds settings and its
// own layers, and renders itself afresh from the history's source.
//
// Ownership: a node owns its rendered image, layers, scaled image, strings and
// text items; the history owns the nodes and the source.
//
// Operations take picture coordinates, except the point operations (strokes,
// mosaic, crop, hit test), which take rendered-image coordinates and remove
// the margin of a framed picture themselves. They return 1 when something
// changed (the caller re-renders) and 0 when nothing happened; a step whose
// bitmaps cannot be made is refused before its node is pushed.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "imagedoc/text_item.h"
#include "platform/imaging/bitmap.h"
#include "platform/imaging/color.h"
#include "platform/imaging/geometry.h"

namespace varn {
class CSubmitFiles;
}

namespace varn::imagedoc {

class CImageHistory;

// The width a new picture is shown at, at most.
inline constexpr uint32_t kDefaultWorkingWidth = 470;
// Frames from this index on put the picture into a canvas with this margin
// on the left and top.
inline constexpr int32_t kFirstMarginFrame = 2;
inline constexpr int32_t kFrameMargin = 15;
// The tool type of the signature and stamp tool: font settings then address
// the stamp font instead of the text template.
inline constexpr int32_t kSignTool = 7;
// Size types with a working width of their own (others keep the width).
inline constexpr int32_t kSizeFull = 0;
inline constexpr int32_t kSizeDefault = 1;
inline constexpr int32_t kSizeFree = 5;

// Results of HitTest.
enum HitResult : int32_t {
  kHitNothing = 0,
  kHitText = 1,
  kHitSelectionCleared = 2,
  kHitSign = 3,
};

class CHistoryNode {
 public:
  // The first node of owner: every default, the working width at most
  // kDefaultWorkingWidth. The caller appends it.
  explicit CHistoryNode(CImageHistory& owner);
  ~CHistoryNode();
  CHistoryNode(const CHistoryNode&) = delete;
  CHistoryNode& operator=(const CHistoryNode&) = delete;

  CImageHistory& Owner() const { return *owner_; }

  // ---- Editing steps (undo step rules in each .cpp) ----
  int32_t SetSizeType(int32_t type);
  // Refused for a width of 0 or less.
  int32_t SetWidth(int32_t width);
  // Steps that are multiples of 90 (also negative ones); others are refused.
  int32_t Rotate(int32_t step);
  int32_t Crop(imaging::Rect rect);
  int32_t DrawPenStroke(std::span<const imaging::Point> points);
  int32_t EraseStroke(std::span<const imaging::Point> points);
  // A block size below 1 counts as 1.
  int32_t ApplyMosaic(imaging::Rect rect, int32_t blockSize);
  int32_t ChangeEffect(int32_t code, int32_t add);
  int32_t Reset();
  // A plain copy of this node as the next step (the control makes one before
  // applying another image's settings, so that they are one undo step).
  int32_t PushCopy();

  // ---- Frame and signature settings ----
  int32_t SetFrameIndex(int32_t index);
  int32_t SetFrameUseUrl(int32_t flag);
  int32_t SetSignPath(std::optional<std::u16string_view> path);
  int32_t SetSignIndex(int32_t kind);
  int32_t SetSignAlign(int32_t align);
  int32_t SetStampIndex(int32_t shape);
  int32_t SetStampText(std::optional<std::u16string_view> text);
  int32_t MoveSign(float dx, float dy);
  // Takes source's size, frame and signature settings (source is a node of
  // another picture); may push a node for the size.
  int32_t CopySettingsFrom(const CHistoryNode& source);
  bool DiffersInSettings(const CHistoryNode& other) const;

  // ---- Texts ----
  int32_t SetCurrentText(std::optional<std::u16string_view> text);
  int32_t ReleaseCurrentText();
  int32_t MoveCurrentText(float dx, float dy);
  int32_t SetCartoonIndex(int32_t index);
  int32_t GetCartoonIndex() const;
  // The selected item's text, or none.
  std::optional<std::u16string> GetCurrentText() const;
  // With the sign tool these address the stamp font; otherwise the selected
  // item (falling back to the text template) for reading, and the template
  // plus the selected item for writing. Colours are masked to 0xRRGGBB.
  std::u16string GetFontName() const;
  int32_t SetFontName(std::u16string_view name);
  int32_t GetFontValue(FontValue which) const;
  int32_t SetFontValue(FontValue which, int32_t value);
  HitResult HitTest(float x, float y, bool select);

  // ---- Rendering (render_pipeline.cpp, temp_jpeg.cpp) ----
  // Rebuilds renderedImage: the base picture, then (when full) effects, pen
  // strokes, texts, signature and frame. False, with no rendered image, when
  // the base cannot be made.
  bool RedrawImage(bool full, bool showSelection);
  // The rendered image with the selection shown, rendered when stale; null
  // when it cannot be made. Valid until the node next changes.
  const imaging::Bitmap* GetRenderedImage();
  bool MakeScaledImage();
  // An empty mosaic layer; refused (and reported) for a cropped node, whose
  // mosaic slot holds its base picture.
  bool MakeLayerImage();
  bool MakePenLayer();
  // Writes the picture without the selection and its thumbnail as JPEG files;
  // 1 when both were written. files, when given, takes charge of them.
  int32_t SaveTempJpeg(CSubmitFiles* files = nullptr);

  // Size of the picture before any frame: the scaled source, or the cropped
  // base. {0, 0} when it cannot be made.
  imaging::Size BaseSize() const;
  // 1 << code for each listed effect code.
  uint32_t EffectFlags() const;

  // ---- State ----
  // Cache of the last RedrawImage; null when stale. Every change of the
  // node's own data drops it.
  std::unique_ptr<imaging::Bitmap> renderedImage;
  // Set in a node made by Crop: its base picture is then mosaicLayer.
  bool cropped = false;
  int32_t sizeType = kSizeDefault;
  // The control's mouse tool, kept per node and copied on.
  int32_t toolType = 0;
  uint32_t workingWidth = 0;
  // Width of the upright source, or of the crop.
  int32_t fullWidth = 0;
  // Clockwise degrees: 0, 90, 180 or 270.
  int32_t rotation = 0;
  int32_t frameIndex = 0;
  int32_t frameUseUrl = 0;
  int32_t selectedText = -1;
  int32_t penWidth = 3;
  int32_t eraserWidth = 5;
  // 0 picture signature, 1 text stamp, other values none.
  int32_t signKind = 0;
  // 0 free (signPosition), 1 to 4 the corners.
  int32_t signAlign = 0;
  std::optional<std::u16string> signFilePath;
  std::optional<std::u16string> stampText;
  int32_t stampShape = 0;
  imaging::ARGB penColor = 0xFF000000u;
  imaging::PointF nextTextPosition{20.0f, 20.0f};
  imaging::PointF signPosition{15.0f, 15.0f};
  int32_t nextCartoonIndex = 1;
  // 32bpp ARGB, transparent where nothing was drawn; made by the first stroke.
  std::unique_ptr<imaging::Bitmap> penLayer;
  // 32bpp ARGB holding mosaic blocks; in a cropped node the base picture.
  std::unique_ptr<imaging::Bitmap> mosaicLayer;
  // Cache: the source turned by rotation and scaled to the working width,
  // 24bpp. It moves on to the next node, so a run of strokes never scales
  // the source again.
  std::unique_ptr<imaging::Bitmap> scaledImage;
  // Effect codes in the order they are applied; duplicates allowed.
  std::vector<int32_t> effects;
  // Later items are drawn on top.
  std::vector<TextItem> textItems;
  // UTF-8 paths of the files the last SaveTempJpeg made.
  std::string tempPicturePath;
  std::string tempThumbnailPath;
  // Set at a mouse-down on a text or the sign: the next move pushes a node,
  // so one drag is one undo step.
  bool beginDrag = false;
  FontSettings textTemplate;
  FontSettings stampFont = StampFontDefaults();
  std::u16string comment;
  int32_t commentAlign = 0;

 private:
  struct CopyTag {};
  // Copy of from as the history's next step (not yet pushed): settings,
  // lists and exact clones of the layers; no caches.
  CHistoryNode(const CHistoryNode& from, CopyTag);

  // What happens to this node's scaled image when a copy is pushed.
  enum class ScaledCache { MoveToCopy, Drop, Keep };
  // A copy for a step; null when a layer cannot be cloned or this node is
  // not its history's current node (steps on other nodes are refused).
  std::unique_ptr<CHistoryNode> MakeCopy() const;
  // Pushes copy as the current node, dropping this node's rendered image and
  // moving or dropping its scaled image. Returns the pushed node.
  CHistoryNode& Push(std::unique_ptr<CHistoryNode> copy, ScaledCache scaled);

  // The 24bpp base picture (scaled source plus mosaic blocks, or the cropped
  // base), made from scratch; null when it cannot be made.
  std::unique_ptr<imaging::Bitmap> RenderBase();
  // The picture coordinate of a rendered-image point.
  int32_t FrameShift() const;
  // Limits rect (rendered-image coordinates) to the picture itself; false
  // when nothing of it remains.
  bool ClipToPicture(imaging::Rect& rect) const;
  // Pen and eraser strokes.
  int32_t Stroke(std::span<const imaging::Point> points, bool erase);
  // Rescales layers to the new working width (SetSizeType, SetWidth).
  int32_t Resize(int32_t type, uint32_t width, bool filtered);
  // Rule A, B and C setters share this: in place, or as a new node.
  template <typename Change>
  int32_t ChangeSetting(bool inPlace, Change change);
  // Applies change to the fonts a font setter addresses.
  template <typename Change>
  int32_t ChangeFont(Change change);
  const FontSettings& FontTarget() const;
  TextItem* SelectedItem();
  const TextItem* SelectedItem() const;

  CImageHistory* owner_;
};

}  // namespace varn::imagedoc
