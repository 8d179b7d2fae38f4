// The selection as a page and a member meet it: pictures loaded through
// ProfileImagePath, the mouse and the keys through window messages.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/imaging/image_codec.h"
#include "tests/cropper/cropper_page.h"
#include "tests/platform/imaging/picture_bytes.h"

namespace varn::cropper::testing {
namespace {

using system::testing::ScratchDirectory;

Event SizeChange(int32_t width, int32_t height) { return {kOnSizeChange, {width, height}}; }

TEST(CropperLoading, FitsEachPictureAndTellsThePageItsSize) {
  ScratchDirectory scratch;
  struct Case {
    int32_t width, height;
    int32_t displayWidth, displayHeight;
    RECT rect;
  };
  const Case kCases[] = {
      {1000, 750, 500, 375, {176, 77, 324, 297}}, {750, 1000, 375, 500, {113, 140, 261, 360}},
      {300, 300, 500, 500, {176, 140, 324, 360}}, {100, 1000, 50, 500, {0, 213, 50, 287}},
      {1000, 300, 500, 150, {200, 0, 300, 150}},  {2000, 1, 500, 1, {250, 0, 250, 1}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height);
    Cropper cropper;
    const std::string path = WriteSolidPicture(scratch / "photo.png", c.width, c.height);
    EXPECT_EQ(cropper.Load(path), S_OK);
    EXPECT_EQ(cropper.TakeEvents(), Events{SizeChange(c.displayWidth, c.displayHeight)});
    EXPECT_EQ(cropper.Rect(), c.rect);
    EXPECT_EQ(cropper.GetText(kDispProfileImagePath), system::Utf8ToUtf16(path));
  }
}

// A sideways phone photo: stored 1000 x 750 (red left, blue right) with the
// orientation that turns it a quarter clockwise, so upright it is 750 x 1000
// with red on top.
std::string SidewaysPhoto(const ScratchDirectory& scratch) {
  const std::string stored = WritePicture(
      scratch / "stored.jpg", 1000, 750, [](int32_t x, int32_t) { return x < 500 ? kRed : kBlue; },
      imaging::kJpegEncoderClsid);
  const std::string path = scratch / "sideways.jpg";
  imaging::testing::WriteFile(
      path, imaging::testing::WithExifOrientation(imaging::testing::ReadFile(stored), 6));
  return path;
}

TEST(CropperLoading, TurnsPhotosUprightByTheirOrientation) {
  ScratchDirectory scratch;
  Cropper cropper;
  cropper.Load(SidewaysPhoto(scratch));
  EXPECT_EQ(cropper.TakeEvents(), Events{SizeChange(375, 500)});
  cropper.Paint(375, 500);
  // Outside the selection the picture is darkened, not gone.
  EXPECT_TRUE(Near(cropper.At(50, 20), 0xFF5F0000u)) << std::hex << cropper.At(50, 20);
  EXPECT_TRUE(Near(cropper.At(50, 480), 0xFF00005Fu)) << std::hex << cropper.At(50, 480);
}

TEST(CropperLoading, APathThatIsNoPictureChangesNothingAndNeverBlocks) {
  ScratchDirectory scratch;
  Cropper cropper;
  const std::string good = WriteSolidPicture(scratch / "good.png", 1000, 750);
  cropper.Load(good);
  cropper.Resize(500, 375);
  cropper.Drag({{200, 200}, {210, 205}});
  cropper.TakeEvents();
  const RECT before = cropper.Rect();
  const uint32_t repaints = cropper.Invalidations();

  const std::string fifo = scratch / "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  imaging::testing::WriteFile(scratch / "text.png", "not a picture");
  const std::string kPaths[] = {scratch / "missing.png", scratch.Path(), fifo,
                                scratch / "text.png",    "/dev/zero",    ""};
  for (const std::string& path : kPaths) {
    SCOPED_TRACE(path);
    EXPECT_EQ(cropper.Load(path), S_OK);
    EXPECT_EQ(cropper.GetText(kDispProfileImagePath), system::Utf8ToUtf16(good));
    EXPECT_EQ(cropper.Rect(), before);
  }
  EXPECT_EQ(cropper.PutText(kDispProfileImagePath, std::nullopt), S_OK);
  EXPECT_TRUE(cropper.TakeEvents().empty());
  // Each attempt still repaints, showing the picture it kept.
  EXPECT_EQ(cropper.Invalidations(), repaints + std::size(kPaths) + 1);
}

TEST(CropperLoading, NoPictureLoadedYetGivesANullPath) {
  Cropper cropper;
  EXPECT_EQ(cropper.GetText(kDispProfileImagePath), std::nullopt);
  EXPECT_EQ(cropper.GetText(kDispFileKey), u"");
  EXPECT_EQ(cropper.PutText(kDispFileKey, std::nullopt), S_OK);
  EXPECT_EQ(cropper.GetText(kDispFileKey), u"");
  EXPECT_EQ(cropper.GetText(kDispSmallImagePath), u"");
}

// A 1000 x 750 photo in a 500 x 375 window, selection (176, 77, 324, 297).
class CropperMouse : public ::testing::Test {
 protected:
  void SetUp() override {
    photo = WriteSolidPicture(scratch / "photo.png", 1000, 750);
    cropper.Load(photo);
    cropper.Resize(500, 375);
    cropper.TakeEvents();
  }

  ScratchDirectory scratch;
  std::string photo;
  Cropper cropper;
};

using Path = std::vector<std::pair<int32_t, int32_t>>;

TEST_F(CropperMouse, DragsMoveResizeAndSlideTheSelection) {
  struct Case {
    const char* what;
    std::vector<Path> drags;
    RECT rect;
    int32_t offset;
  };
  const Path squareDown{{250, 100}, {250, 190}};
  const Case kCases[] = {
      {"corner straight right", {{{324, 297}, {400, 297}}}, {176, 77, 324, 297}, 0},
      {"corner past the window", {{{324, 297}, {450, 400}, {500, 450}}}, {176, 77, 376, 375}, 0},
      {"corner onto its opposite", {{{324, 297}, {176, 77}}}, {176, 77, 186, 91}, 0},
      {"move", {{{250, 280}, {260, 250}}}, {186, 47, 334, 267}, 0},
      {"square down past its limit", {squareDown}, {176, 77, 324, 297}, 72},
      {"square up from the limit", {squareDown, {{250, 160}, {250, 130}}}, {176, 77, 324, 297}, 42},
      // A rectangle of 100 x 148 leaves the square a room of 48.
      {"resize below the offset", {squareDown, {{324, 297}, {276, 260}}}, {176, 77, 276, 225}, 48},
      {"press outside", {{{50, 50}, {100, 100}}}, {176, 77, 324, 297}, 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    cropper.Load(photo);  // a fresh selection
    for (const Path& drag : c.drags) cropper.Drag(drag);
    EXPECT_EQ(cropper.Rect(), c.rect);
    EXPECT_EQ(cropper.Selection().squareOffset, c.offset);
    EXPECT_FALSE(cropper.HasCapture());
  }
}

TEST_F(CropperMouse, OnlyAPressOnTheSelectionTakesTheMouse) {
  LRESULT result = 7;
  EXPECT_EQ(cropper.Send(WM_LBUTTONDOWN, 50, 50, &result), S_OK);
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(cropper.HasCapture());
  EXPECT_EQ(cropper.Control().Window().Cursor(), IDC_ARROW);
  EXPECT_EQ(cropper.Send(WM_LBUTTONUP, 50, 50), S_OK);

  cropper.Send(WM_LBUTTONDOWN, 200, 280);
  EXPECT_TRUE(cropper.HasCapture());
  const uint32_t repaints = cropper.Invalidations();
  cropper.Send(WM_MOUSEMOVE, 210, 280);
  EXPECT_EQ(cropper.Invalidations(), repaints + 1);
  // The system takes the mouse away: the drag ends where it was.
  EXPECT_EQ(cropper.Send(WM_CANCELMODE, 0, 0), S_FALSE);
  EXPECT_FALSE(cropper.HasCapture());
  cropper.Send(WM_MOUSEMOVE, 300, 280);
  EXPECT_EQ(cropper.Rect(), (RECT{186, 77, 334, 297}));
  EXPECT_EQ(cropper.Send(WM_ERASEBKGND, 0, 0, &result), S_OK);
  EXPECT_EQ(result, 0);
}

TEST_F(CropperMouse, HoverShowsWhatAPressWouldDo) {
  struct Case {
    POINT point;
    SystemCursor cursor;
  };
  const Case kCases[] = {
      {{176, 77}, IDC_SIZENWSE},  {{324, 77}, IDC_SIZENESW}, {{325, 298}, IDC_SIZENWSE},
      {{174, 297}, IDC_SIZENESW}, {{250, 150}, IDC_SIZENS},  {{250, 260}, IDC_SIZEALL},
      {{100, 100}, IDC_ARROW},    {{324, 200}, IDC_ARROW},
  };
  const uint32_t repaints = cropper.Invalidations();
  for (const Case& c : kCases) {
    cropper.Send(WM_MOUSEMOVE, c.point.x, c.point.y);
    EXPECT_EQ(cropper.Control().Window().Cursor(), c.cursor) << c.point.x << ", " << c.point.y;
  }
  EXPECT_EQ(cropper.Invalidations(), repaints);
}

TEST_F(CropperMouse, KeysMoveTheSelectionAndSlideTheSquare) {
  struct Case {
    WPARAM key;
    bool shift;
    RECT rect;
    int32_t offset;
  };
  const Case kCases[] = {
      {VK_RIGHT, false, {177, 77, 325, 297}, 0},  {VK_DOWN, true, {177, 87, 325, 307}, 0},
      {VK_LEFT, true, {167, 87, 315, 307}, 0},    {VK_UP, false, {167, 86, 315, 306}, 0},
      {VK_NEXT, false, {167, 86, 315, 306}, 10},  {VK_NEXT, true, {167, 86, 315, 306}, 20},
      {VK_PRIOR, false, {167, 86, 315, 306}, 10},
  };
  for (const Case& c : kCases) {
    const uint32_t repaints = cropper.Invalidations();
    cropper.Key(c.key, c.shift);
    EXPECT_EQ(cropper.Rect(), c.rect) << c.key;
    EXPECT_EQ(cropper.Selection().squareOffset, c.offset) << c.key;
    EXPECT_EQ(cropper.Invalidations(), repaints + 1) << c.key;
  }
  // Held down, the keys stop at the window's edges and the square's limits.
  for (int i = 0; i < 40; ++i) {
    cropper.Key(VK_DOWN, true);
    cropper.Key(VK_RIGHT, true);
    cropper.Key(VK_NEXT);
  }
  EXPECT_EQ(cropper.Rect(), (RECT{352, 155, 500, 375}));
  EXPECT_EQ(cropper.Selection().squareOffset, 72);
  // Keys the control has no use for go on to the page.
  EXPECT_EQ(cropper.SendKey(WM_KEYDOWN, VK_RETURN), S_FALSE);
}

TEST_F(CropperMouse, KeysWaitWhileADragHoldsTheMouse) {
  cropper.Send(WM_LBUTTONDOWN, 250, 280);
  cropper.Key(VK_RIGHT);
  EXPECT_EQ(cropper.Rect(), (RECT{176, 77, 324, 297}));
  cropper.Send(WM_LBUTTONUP, 250, 280);
  cropper.Key(VK_RIGHT);
  EXPECT_EQ(cropper.Rect(), (RECT{177, 77, 325, 297}));
}

}  // namespace
}  // namespace varn::cropper::testing
