#include "platform/imaging/bitmap.h"

#include <gtest/gtest.h>

#include "platform/imaging/graphics.h"
#include "tests/platform/imaging/pixel_helpers.h"

namespace varn::imaging {
namespace {

using testing::FillBitmap;
using testing::FillTagged;
using testing::PixelAt;
using testing::Tag;

TEST(BitmapCreate, NewBitmapsStartTransparentOrOpaqueBlack) {
  Bitmap layer(3, 2, PixelFormat::Format32bppARGB);
  Bitmap picture(3, 2, PixelFormat::Format24bppRGB);
  ASSERT_EQ(layer.GetLastStatus(), Status::Ok);
  EXPECT_EQ(layer.GetWidth(), 3u);
  EXPECT_EQ(layer.GetHeight(), 2u);
  EXPECT_EQ(layer.GetPixelFormat(), PixelFormat::Format32bppARGB);
  EXPECT_EQ(PixelAt(layer, 2, 1), 0x00000000u);
  EXPECT_EQ(picture.GetPixelFormat(), PixelFormat::Format24bppRGB);
  EXPECT_EQ(PixelAt(picture, 2, 1), 0xFF000000u);
}

TEST(BitmapCreate, BadSizesGiveFailedBitmapsNotCrashes) {
  EXPECT_EQ(Bitmap(0, 5, PixelFormat::Format24bppRGB).GetLastStatus(), Status::InvalidParameter);
  EXPECT_EQ(Bitmap(5, -1, PixelFormat::Format24bppRGB).GetLastStatus(), Status::InvalidParameter);
  EXPECT_EQ(Bitmap(5, 5, PixelFormat::Undefined).GetLastStatus(), Status::InvalidParameter);
  Bitmap huge(100000, 100000, PixelFormat::Format32bppARGB);
  EXPECT_EQ(huge.GetLastStatus(), Status::OutOfMemory);
  EXPECT_EQ(huge.GetWidth(), 0u);
  Bitmap overflow(INT32_MAX, INT32_MAX, PixelFormat::Format24bppRGB);
  EXPECT_EQ(overflow.GetLastStatus(), Status::OutOfMemory);
}

TEST(BitmapCreate, FailedBitmapKeepsItsStatusForEveryCall) {
  Bitmap failed(100000, 100000, PixelFormat::Format24bppRGB);
  ARGB color = 0x12345678;
  EXPECT_EQ(failed.GetPixel(0, 0, &color), Status::OutOfMemory);
  EXPECT_EQ(color, 0x12345678u);
  EXPECT_EQ(failed.SetPixel(0, 0, 0), Status::OutOfMemory);
  BitmapData data;
  EXPECT_EQ(
      failed.LockBits(Rect{0, 0, 1, 1}, ImageLockMode::Read, PixelFormat::Format24bppRGB, &data),
      Status::OutOfMemory);
  EXPECT_EQ(failed.RotateFlip(RotateFlipType::Rotate90FlipNone), Status::OutOfMemory);
  EXPECT_EQ(failed.Clone()->GetLastStatus(), Status::OutOfMemory);
  EXPECT_EQ(failed.Save("/nonexistent/x.png", kPngEncoderClsid), Status::OutOfMemory);
  Graphics graphics(failed);
  EXPECT_EQ(graphics.GetLastStatus(), Status::OutOfMemory);
  EXPECT_EQ(graphics.Clear(0xFFFFFFFF), Status::OutOfMemory);
  EXPECT_EQ(failed.GetLastStatus(), Status::OutOfMemory);
}

TEST(BitmapPixels, OutsideFailsAndLeavesBitmapUsable) {
  Bitmap bitmap(2, 2, PixelFormat::Format32bppARGB);
  ARGB color = 0x11111111;
  EXPECT_EQ(bitmap.GetPixel(2, 0, &color), Status::InvalidParameter);
  EXPECT_EQ(bitmap.GetPixel(0, -1, &color), Status::InvalidParameter);
  EXPECT_EQ(color, 0x11111111u);
  EXPECT_EQ(bitmap.SetPixel(1, 1, 0x80FF0000), Status::Ok);
  EXPECT_EQ(PixelAt(bitmap, 1, 1), 0x80FF0000u);
}

TEST(BitmapPixels, TwentyFourBitPixelsAreAlwaysOpaque) {
  Bitmap bitmap(1, 1, PixelFormat::Format24bppRGB);
  bitmap.SetPixel(0, 0, 0x00123456);
  EXPECT_EQ(PixelAt(bitmap, 0, 0), 0xFF123456u);
}

TEST(BitmapLock, WrittenRowsAreReadBackAtTheirPlace) {
  Bitmap bitmap(4, 3, PixelFormat::Format32bppARGB);
  BitmapData data;
  ASSERT_EQ(
      bitmap.LockBits(Rect{1, 1, 2, 2}, ImageLockMode::Write, PixelFormat::Format32bppARGB, &data),
      Status::Ok);
  ASSERT_EQ(data.Width, 2);
  ASSERT_EQ(data.Height, 2);
  data.Row(0)[0] = 0x10203040;
  data.Row(1)[1] = 0x80FFFFFF;
  ASSERT_EQ(bitmap.UnlockBits(&data), Status::Ok);
  EXPECT_EQ(PixelAt(bitmap, 1, 1), 0x10203040u);
  EXPECT_EQ(PixelAt(bitmap, 2, 2), 0x80FFFFFFu);
  EXPECT_EQ(PixelAt(bitmap, 0, 0), 0u);

  BitmapData reading;
  ASSERT_EQ(bitmap.LockBits(Rect{0, 0, 4, 3}, ImageLockMode::Read, PixelFormat::Format32bppARGB,
                            &reading),
            Status::Ok);
  EXPECT_EQ(reading.ConstRow(1)[1], 0x10203040u);
  EXPECT_EQ(reading.Row(0), nullptr);
  EXPECT_EQ(bitmap.UnlockBits(&reading), Status::Ok);
}

TEST(BitmapLock, RefusesOverlappingLocksAndAreasOutside) {
  Bitmap bitmap(4, 4, PixelFormat::Format24bppRGB);
  BitmapData first;
  BitmapData second;
  EXPECT_EQ(
      bitmap.LockBits(Rect{2, 2, 3, 1}, ImageLockMode::Read, PixelFormat::Format24bppRGB, &first),
      Status::InvalidParameter);
  ASSERT_EQ(bitmap.LockBits(Rect{0, 0, 4, 4}, ImageLockMode::ReadWrite, PixelFormat::Format24bppRGB,
                            &first),
            Status::Ok);
  EXPECT_EQ(
      bitmap.LockBits(Rect{0, 0, 1, 1}, ImageLockMode::Read, PixelFormat::Format24bppRGB, &second),
      Status::ObjectBusy);
  EXPECT_EQ(bitmap.UnlockBits(&second), Status::InvalidParameter);
  EXPECT_EQ(bitmap.UnlockBits(&first), Status::Ok);
  EXPECT_EQ(bitmap.UnlockBits(&first), Status::InvalidParameter);
}

TEST(BitmapLock, ForgottenLockIsReleasedWithItsData) {
  auto bitmap = std::make_unique<Bitmap>(2, 2, PixelFormat::Format24bppRGB);
  {
    BitmapData data;
    ASSERT_EQ(bitmap->LockBits(Rect{0, 0, 2, 2}, ImageLockMode::Write, PixelFormat::Format24bppRGB,
                               &data),
              Status::Ok);
    data.Row(1)[1] = 0x00ABCDEF;
  }
  EXPECT_EQ(bitmap->SetPixel(0, 0, 0xFF010101), Status::Ok);
  EXPECT_EQ(PixelAt(*bitmap, 1, 1), 0xFFABCDEFu);
  // The rows stay valid when the bitmap goes before its lock.
  BitmapData outlived;
  bitmap->LockBits(Rect{0, 0, 2, 2}, ImageLockMode::ReadWrite, PixelFormat::Format24bppRGB,
                   &outlived);
  bitmap.reset();
  outlived.Row(0)[0] = 0xFF000000;
  EXPECT_EQ(outlived.ConstRow(0)[0], 0xFF000000u);
}

TEST(BitmapLock, TwentyFourBitBitmapStaysOpaqueAfterWritingAlpha) {
  Bitmap bitmap(2, 1, PixelFormat::Format24bppRGB);
  BitmapData data;
  ASSERT_EQ(
      bitmap.LockBits(Rect{0, 0, 2, 1}, ImageLockMode::Write, PixelFormat::Format24bppRGB, &data),
      Status::Ok);
  data.Row(0)[0] = 0x00ABCDEF;
  data.Row(0)[1] = 0x7F010203;
  bitmap.UnlockBits(&data);
  BitmapData check;
  bitmap.LockBits(Rect{0, 0, 2, 1}, ImageLockMode::Read, PixelFormat::Format24bppRGB, &check);
  EXPECT_EQ(check.ConstRow(0)[0], 0xFFABCDEFu);
  EXPECT_EQ(check.ConstRow(0)[1], 0xFF010203u);
  bitmap.UnlockBits(&check);
}

TEST(BitmapLock, TransparentBitmapLockedAsTwentyFourBitIsAnOpaqueCopy) {
  Bitmap bitmap(2, 1, PixelFormat::Format32bppARGB);
  bitmap.SetPixel(0, 0, 0x40112233);
  BitmapData data;
  ASSERT_EQ(bitmap.LockBits(Rect{0, 0, 2, 1}, ImageLockMode::ReadWrite, PixelFormat::Format24bppRGB,
                            &data),
            Status::Ok);
  EXPECT_EQ(data.ConstRow(0)[0], 0xFF112233u);
  EXPECT_EQ(PixelAt(bitmap, 0, 0), 0x40112233u);
  data.Row(0)[1] = 0x00445566;
  bitmap.UnlockBits(&data);
  EXPECT_EQ(PixelAt(bitmap, 0, 0), 0xFF112233u);
  EXPECT_EQ(PixelAt(bitmap, 1, 0), 0xFF445566u);
}

TEST(BitmapClone, CopiesNeverSeeLaterWritesToTheOriginal) {
  Bitmap original(3, 3, PixelFormat::Format32bppARGB);
  FillTagged(original);
  auto byLock = original.Clone();
  BitmapData data;
  original.LockBits(Rect{0, 0, 3, 3}, ImageLockMode::Write, PixelFormat::Format32bppARGB, &data);
  auto duringLock = original.Clone();
  data.Row(1)[1] = 0x11111111;
  original.UnlockBits(&data);
  EXPECT_EQ(PixelAt(*byLock, 1, 1), Tag(1, 1));
  EXPECT_EQ(PixelAt(*duringLock, 1, 1), Tag(1, 1));

  auto byPainting = original.Clone();
  {
    Graphics graphics(original);
    graphics.Clear(0xFF0000FF);
    auto whilePainting = original.Clone();
    graphics.FillRectangle(SolidBrush(0xFF00FF00), Rect{0, 0, 3, 3});
    EXPECT_EQ(PixelAt(*whilePainting, 0, 0), 0xFF0000FFu);
  }
  EXPECT_EQ(PixelAt(*byPainting, 2, 2), Tag(2, 2));
  EXPECT_EQ(PixelAt(*byLock, 0, 0), Tag(0, 0));

  auto paintedCopy = original.Clone();
  {
    Graphics graphics(*paintedCopy);
    graphics.Clear(0xFFFFFFFF);
  }
  EXPECT_EQ(PixelAt(original, 0, 0), 0xFF00FF00u);
  original.SetPixel(0, 0, 0);
  EXPECT_EQ(PixelAt(*paintedCopy, 0, 0), 0xFFFFFFFFu);
}

TEST(BitmapClone, AreaCopyKeepsPixelsAndTakesTheFormat) {
  Bitmap bitmap(4, 4, PixelFormat::Format32bppARGB);
  FillTagged(bitmap);
  bitmap.SetPixel(2, 1, 0x80102030);
  auto area = bitmap.Clone(Rect{1, 1, 2, 3}, PixelFormat::Format32bppARGB);
  ASSERT_EQ(area->GetLastStatus(), Status::Ok);
  EXPECT_EQ(area->GetWidth(), 2u);
  EXPECT_EQ(area->GetHeight(), 3u);
  EXPECT_EQ(PixelAt(*area, 0, 0), Tag(1, 1));
  EXPECT_EQ(PixelAt(*area, 1, 0), 0x80102030u);
  EXPECT_EQ(PixelAt(*area, 1, 2), Tag(2, 3));
  auto opaque = bitmap.Clone(Rect{2, 1, 1, 1}, PixelFormat::Format24bppRGB);
  EXPECT_EQ(opaque->GetPixelFormat(), PixelFormat::Format24bppRGB);
  EXPECT_EQ(PixelAt(*opaque, 0, 0), 0xFF102030u);
  EXPECT_EQ(bitmap.Clone(Rect{3, 3, 2, 1}, PixelFormat::Format24bppRGB)->GetLastStatus(),
            Status::InvalidParameter);
}

TEST(BitmapRotate, QuarterTurnsMoveKnownPixels) {
  // 2 wide, 3 high; clockwise, the left column read upwards becomes the top row.
  Bitmap bitmap(2, 3, PixelFormat::Format24bppRGB);
  FillTagged(bitmap);
  ASSERT_EQ(bitmap.RotateFlip(RotateFlipType::Rotate90FlipNone), Status::Ok);
  ASSERT_EQ(bitmap.GetWidth(), 3u);
  ASSERT_EQ(bitmap.GetHeight(), 2u);
  EXPECT_EQ(PixelAt(bitmap, 0, 0), Tag(0, 2));
  EXPECT_EQ(PixelAt(bitmap, 2, 0), Tag(0, 0));
  EXPECT_EQ(PixelAt(bitmap, 0, 1), Tag(1, 2));
  EXPECT_EQ(PixelAt(bitmap, 2, 1), Tag(1, 0));
  EXPECT_EQ(bitmap.GetPixelFormat(), PixelFormat::Format24bppRGB);

  Bitmap half(2, 3, PixelFormat::Format32bppARGB);
  FillTagged(half);
  half.SetPixel(1, 2, 0x40FF0000);
  ASSERT_EQ(half.RotateFlip(RotateFlipType::Rotate180FlipNone), Status::Ok);
  EXPECT_EQ(PixelAt(half, 0, 0), 0x40FF0000u);
  EXPECT_EQ(PixelAt(half, 1, 2), Tag(0, 0));

  Bitmap back(2, 3, PixelFormat::Format24bppRGB);
  FillTagged(back);
  ASSERT_EQ(back.RotateFlip(RotateFlipType::Rotate270FlipNone), Status::Ok);
  EXPECT_EQ(PixelAt(back, 0, 0), Tag(1, 0));
  EXPECT_EQ(PixelAt(back, 2, 1), Tag(0, 2));
}

TEST(BitmapRotate, RefusedWhileBeingPaintedOrLocked) {
  Bitmap bitmap(2, 3, PixelFormat::Format24bppRGB);
  {
    Graphics graphics(bitmap);
    EXPECT_EQ(bitmap.RotateFlip(RotateFlipType::Rotate90FlipNone), Status::ObjectBusy);
  }
  BitmapData data;
  bitmap.LockBits(Rect{0, 0, 1, 1}, ImageLockMode::Read, PixelFormat::Format24bppRGB, &data);
  EXPECT_EQ(bitmap.RotateFlip(RotateFlipType::Rotate90FlipNone), Status::ObjectBusy);
  bitmap.UnlockBits(&data);
  EXPECT_EQ(bitmap.RotateFlip(RotateFlipType::Rotate90FlipNone), Status::Ok);
  EXPECT_EQ(bitmap.GetWidth(), 3u);
}

}  // namespace
}  // namespace varn::imaging
