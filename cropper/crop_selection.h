// The cropper's selection: a rectangle of fixed proportions 148:220 in client
// pixels (which are the display picture's pixels) and, inside it, a square as
// wide as the rectangle that slides up and down. The rectangle becomes the big
// profile picture, the square the small and the mini one.
//
// Everything here is plain geometry without windows or pictures: fitting a
// picture to the display, the initial selection, hit areas, the drag rules,
// keeping the selection inside the client area, and the keyboard moves.
#pragma once

#include <cstdint>

#include "platform/com/types.h"

namespace varn::cropper {

// The selection's proportions, width to height.
inline constexpr int32_t kCropWidth = 148;
inline constexpr int32_t kCropHeight = 220;
// The longer side of the display picture.
inline constexpr uint32_t kDisplaySide = 500;
// A corner never comes closer to the opposite one than this, before the
// proportions are restored.
inline constexpr int32_t kMinDragWidth = 10;
inline constexpr int32_t kMinDragHeight = 20;
// Half the side of a corner handle.
inline constexpr int32_t kHandleReach = 3;

struct DisplaySize {
  int32_t width = 0;
  int32_t height = 0;
  friend bool operator==(const DisplaySize&, const DisplaySize&) = default;
};

struct CropSelection {
  RECT rect{10, 10, 100, 100};
  // From the rectangle's top to the square's top.
  int32_t squareOffset = 0;
};

enum class DragMode : int32_t {
  kNone = 0,
  kMove = 1,
  kSquare = 11,
  kTopLeft = 21,
  kTopRight = 22,
  kBottomRight = 23,
  kBottomLeft = 24,
};

// What lies under a point, tested in this order: the four handles (top-left,
// top-right, bottom-right, bottom-left), the square, the rectangle.
enum class HitArea {
  kTopLeft,
  kTopRight,
  kBottomRight,
  kBottomLeft,
  kSquare,
  kRectangle,
  kOutside,
};

// The picture scaled so that its longer side is kDisplaySide (smaller ones are
// enlarged); a side that would round to 0 is 1. Both 0 for an empty picture.
DisplaySize FitDisplaySize(uint32_t width, uint32_t height);

// The rectangle centred on a display of that size, as large as 148 x 220 or
// the display's narrower side allows; the square at the top.
CropSelection InitialSelection(DisplaySize display);

// (left, top + offset, right, top + offset + width).
RECT SquareOf(const CropSelection& selection);

// Areas include their left and top edges and exclude their right and bottom
// ones; a handle is the 6 x 6 box from (x - 3, y - 3) around its corner.
RECT HandleBox(int32_t x, int32_t y);
HitArea HitTest(const CropSelection& selection, POINT point);
// The drag a press on that area starts; kNone outside the rectangle.
DragMode DragModeFor(HitArea area);

// Moves the rectangle, never resizing it, until its right and bottom edges
// lie within the client area or, failing that, its left and top edges do.
RECT KeepInside(RECT rect, int32_t clientWidth, int32_t clientHeight);

// The square's offset held between 0 and the rectangle's height less its
// width (0 when the rectangle is wider than tall).
int32_t LimitSquareOffset(const RECT& rect, int32_t offset);

// One mouse drag from the press to its release. Each move computes the
// selection afresh from the one at the press, so the result depends only on
// the press and the latest point.
class CropDrag {
 public:
  CropDrag(DragMode mode, const CropSelection& start, POINT press)
      : mode_(mode), start_(start), press_(press) {}

  DragMode Mode() const { return mode_; }
  // The selection for the mouse at point, the point first clamped to the
  // client area (its right and bottom edges included).
  CropSelection MoveTo(POINT point, int32_t clientWidth, int32_t clientHeight) const;

 private:
  RECT ResizedRect(POINT point) const;

  DragMode mode_;
  CropSelection start_;
  POINT press_;
};

// The keyboard: the arrows move the selection by (dx, dy) under the same
// keep-inside rule as a drag; the page keys slide the square by dy within its
// limits.
CropSelection MoveSelection(const CropSelection& selection, int32_t dx, int32_t dy,
                            int32_t clientWidth, int32_t clientHeight);
CropSelection SlideSquare(const CropSelection& selection, int32_t dy);

}  // namespace varn::cropper
