// The picture editor's mouse tools, free of COM and windows: the control
// hands each mouse message to EditTools with the current picture's history,
// and EditTools changes the current node and answers what the control must
// do (capture, events, repaints) as a ToolAnswer. The control acts on it in
// the order the fields are declared.
//
// Coordinates: the control's client point plus the view's scroll offset is a
// point of the current node's rendered image, frame margin included; the
// node's point operations remove the margin themselves. A scroll drag works
// in screen coordinates, because the page moves the control while it
// scrolls. Rectangles to repaint are answered in client coordinates.
//
// The tool in force is the current node's toolType, read again at every
// message, so that a page changing the tool mid-drag is followed at the next
// move or release. The tools never change the cursor: the arrow shows
// throughout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "imagedoc/history_node.h"
#include "imagedoc/image_history.h"
#include "platform/com/types.h"
#include "platform/imaging/bitmap.h"
#include "platform/imaging/color.h"
#include "platform/imaging/geometry.h"
#include "platform/imaging/graphics.h"

namespace varn::imageedit {

// Values of a node's toolType the tools know; every other value scrolls.
enum ToolType : int32_t {
  kToolScroll = 0,
  kToolMoveText = 1,
  kToolPen = 2,
  kToolEraser = 3,
  kToolMosaic = 5,
  kToolSign = imagedoc::kSignTool,
  kToolCrop = 8,
};

// The block size mosaic starts with.
inline constexpr int32_t kDefaultMozaicSize = 5;

// One mouse message's position.
struct MouseInput {
  // Client coordinates of the message (signed 16-bit values of lParam).
  POINT client{0, 0};
  // The client point converted with ClientToScreen; only scroll drags use it.
  POINT screen{0, 0};
  // The view's scroll offset: client + viewOffset is the rendered-image point.
  POINT viewOffset{0, 0};
};

enum class CaptureAction : int32_t {
  kKeep = 0,     // leave the capture as it is
  kTake = 1,     // a drag started: SetCapture
  kRelease = 2,  // the drag ended: ReleaseCapture
};

// What the control does after a mouse message, in this order.
struct ToolAnswer {
  CaptureAction capture = CaptureAction::kKeep;
  // Fire OnChangeTab with this tool type (a press switched the tool).
  std::optional<int32_t> changeTab;
  // Fire OnUpdateData (a press while the move-text tool was in force).
  bool updateData = false;
  // Fire OnScroll (x, y): previous minus current screen position.
  std::optional<POINT> scroll;
  // Fire OnChangeSize (width, height): a crop changed the rendered size.
  std::optional<imaging::Size> changeSize;
  // The current node changed (a new step, a move in place or a new
  // selection): its rendered image is stale and is made again by the next
  // paint. No page event is owed for it beyond the fields above.
  bool nodeChanged = false;
  // Invalidate the whole client area, else repaintRect when it is not empty.
  bool repaintAll = false;
  RECT repaintRect{0, 0, 0, 0};

  bool Repaints() const {
    return repaintAll ||
           (repaintRect.right > repaintRect.left && repaintRect.bottom > repaintRect.top);
  }
};

// The stroke preview kept between paints: the polyline so far drawn into a
// transparent bitmap over the part of the picture it covers, extended by the
// new segments at each paint, so that a long stroke is not stroked again
// for every repaint. Inside the box of new segments it draws every nearby
// segment afresh, so joins look as in one polyline drawn at once.
class StrokeOverlay {
 public:
  struct Style {
    imaging::ARGB color = 0;
    float width = 0;
    bool antiAlias = false;
    friend bool operator==(const Style&, const Style&) = default;
  };

  // Brings the overlay up to points (picture coordinates, at least 2) and
  // blends it onto graphics at its picture position. A stroke that only
  // grew since the last call is extended; any other change (style, picture
  // size, points) redraws it. Nothing outside (0, 0, picture) is drawn.
  void Draw(imaging::Graphics& graphics, std::span<const imaging::Point> points, const Style& style,
            imaging::Size picture);
  // Forgets the stroke and its bitmap.
  void Clear();

 private:
  // Makes the overlay cover area as well, keeping what it holds; false when
  // the bitmap cannot be made.
  bool Cover(const imaging::Rect& area, imaging::Size picture);
  // Redraws area (picture coordinates, inside the overlay) from every
  // segment reaching into it.
  void Redraw(const imaging::Rect& area, std::span<const imaging::Point> points);

  std::unique_ptr<imaging::Bitmap> bitmap_;
  // The picture area bitmap_ covers, and the part of it drawn on.
  imaging::Rect area_;
  imaging::Rect drawn_;
  Style style_;
  imaging::Size picture_;
  size_t drawnPoints_ = 0;
  imaging::Point lastDrawn_;
};

class EditTools {
 public:
  EditTools() = default;

  // The handlers take the current picture's history, or null when the list
  // is empty: then nothing happens, except that a drag still under way (its
  // picture was deleted meanwhile) ends and the capture is released.
  ToolAnswer OnLButtonDown(imagedoc::CImageHistory* image, const MouseInput& at);
  // Moves count only during a drag.
  ToolAnswer OnMouseMove(imagedoc::CImageHistory* image, const MouseInput& at);
  // The release position is not used: a stroke ends at its last move.
  ToolAnswer OnLButtonUp(imagedoc::CImageHistory* image, const MouseInput& at);
  // Both abandon the drag under way; nothing is applied to the picture (a
  // text or signature already moved stays where it is). The control passes
  // WM_CANCELMODE on to the standard handling afterwards.
  ToolAnswer OnRButtonDown(imagedoc::CImageHistory* image);
  ToolAnswer OnCancelMode(imagedoc::CImageHistory* image);

  // PaintView calls this while Captured(), with a Graphics on the back
  // buffer after the rendered image was drawn into it at the client origin:
  // the pen's or eraser's polyline so far, or the dotted rubber band of
  // mosaic and crop. node is the current node; nothing is drawn for other
  // tools. A stroke shows only over the picture, where it will be applied.
  // The Graphics' transform and modes are left as they were.
  void DrawPreview(imaging::Graphics& graphics, imagedoc::CHistoryNode& node,
                   POINT viewOffset) const;

  // A drag is under way and the control should hold the mouse capture.
  bool Captured() const { return captured_; }
  // Points of the stroke under way, rendered-image coordinates.
  std::span<const imaging::Point> StrokePoints() const { return strokePoints_; }

  // The block size handed to the mosaic tool, as the page put it; the tool
  // uses at least 1.
  int32_t MozaicSize() const { return mozaicSize_; }
  void SetMozaicSize(int32_t size) { mozaicSize_ = size; }

 private:
  // How the drag under way acts; decided at the press from the tool type,
  // and again whenever the node's tool type is no longer the one seen then.
  enum class Drag : int32_t { kNone, kStroke, kRectangle, kMoveText, kMoveSign, kScroll };

  static Drag DragFor(int32_t toolType);
  // The drag's kind for node, following a tool change made by the page.
  Drag ActiveDrag(const imagedoc::CHistoryNode& node) const;
  void Follow(const imagedoc::CHistoryNode& node);

  void StartDrag(Drag drag, const imagedoc::CHistoryNode& node, const MouseInput& at);
  void EndDrag();
  // Sets capture from whether a drag was under way before the message.
  ToolAnswer& Finish(ToolAnswer& answer, bool wasCaptured) const;
  ToolAnswer Abandon(const imagedoc::CHistoryNode* node);
  void PressHitTest(imagedoc::CHistoryNode& node, const MouseInput& at, ToolAnswer& answer);

  void MoveStroke(const imagedoc::CHistoryNode& node, imaging::Point point, POINT viewOffset,
                  ToolAnswer& answer);
  void MoveRectangle(imaging::Point point, POINT viewOffset, ToolAnswer& answer);
  void ReleaseRectangle(imagedoc::CImageHistory& image, ToolAnswer& answer);

  void DrawStrokePreview(imaging::Graphics& graphics, imagedoc::CHistoryNode& node) const;
  void DrawRubberBand(imaging::Graphics& graphics, imagedoc::CHistoryNode& node) const;

  bool captured_ = false;
  Drag drag_ = Drag::kNone;
  // The node's tool type when drag_ was last decided.
  int32_t dragToolType_ = kToolScroll;
  // Rendered-image coordinates of the press and of the last move handled.
  imaging::Point dragStart_;
  imaging::Point lastPoint_;
  // Screen position of the last message, for scroll drags.
  POINT lastScreen_{0, 0};
  std::vector<imaging::Point> strokePoints_;
  // A cache of the preview; DrawPreview extends it.
  mutable StrokeOverlay strokeOverlay_;
  int32_t mozaicSize_ = kDefaultMozaicSize;
};

// The rectangle spanned by two corners: the smaller coordinates and the
// absolute differences.
imaging::Rect SpannedRect(imaging::Point a, imaging::Point b);

}  // namespace varn::imageedit
