// Rendering: sizes of the scaled source, turning, the order of effects, mosaic
// and pen strokes, and the files written for the upload.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <vector>

#include "imagedoc/effects.h"
#include "tests/imagedoc/history_fixture.h"
#include "tests/platform/imaging/picture_bytes.h"

namespace varn::imagedoc {
namespace {

using imaging::Bitmap;
using imaging::Point;
using imaging::Size;
using testing::HistoryTest;
using testing::PatternColor;
using testing::PixelAt;
using testing::SamePixels;
using testing::SizeOf;

bool IsGray(imaging::ARGB color) {
  return ((color >> 16) & 0xFF) == ((color >> 8) & 0xFF) && ((color >> 8) & 0xFF) == (color & 0xFF);
}

struct SizeCase {
  const char* name;
  int32_t width;
  int32_t height;
  std::function<void(CHistoryNode&)> steps;
  Size rendered;
  uint32_t workingWidth;
};

class RenderedSize : public HistoryTest, public ::testing::WithParamInterface<SizeCase> {
 protected:
  void SetUp() override { Load(GetParam().width, GetParam().height); }
};

TEST_P(RenderedSize, FollowsWidthAndTurn) {
  GetParam().steps(Node());
  EXPECT_EQ(SizeOf(Node().GetRenderedImage()), GetParam().rendered);
  EXPECT_EQ(Node().workingWidth, GetParam().workingWidth);
  EXPECT_EQ(history->SourceWidth(), static_cast<uint32_t>(GetParam().width));
}

INSTANTIATE_TEST_SUITE_P(
    Geometry, RenderedSize,
    ::testing::Values(
        SizeCase{"Default", 2000, 1500, [](CHistoryNode&) {}, {470, 352}, 470},
        SizeCase{"Quarter", 2000, 1500, [](CHistoryNode& n) { n.Rotate(90); }, {470, 626}, 470},
        SizeCase{"Full", 2000, 1500, [](CHistoryNode& n) { n.SetSizeType(0); }, {2000, 1500}, 2000},
        SizeCase{"FullThenDefault",
                 2000,
                 1500,
                 [](CHistoryNode& n) {
                   n.SetSizeType(0);
                   n.Owner().Current().SetSizeType(1);
                 },
                 {470, 352},
                 470},
        SizeCase{"Narrow", 300, 200, [](CHistoryNode&) {}, {300, 200}, 300},
        SizeCase{"Width200", 300, 200, [](CHistoryNode& n) { n.SetSizeType(4); }, {200, 133}, 200},
        SizeCase{"FreeWidth", 300, 200, [](CHistoryNode& n) { n.SetWidth(150); }, {150, 100}, 150}),
    [](const ::testing::TestParamInfo<SizeCase>& param) { return param.param.name; });

// Quarter turns, normalised; the source comes out of every turn unchanged.
struct TurnCase {
  int32_t step;
  int32_t rotation;  // -1: refused
  // The source pixel shown at (x, y) of a 100 x 100 picture.
  std::function<Point(int32_t, int32_t)> from;
};

class Turn : public HistoryTest, public ::testing::WithParamInterface<TurnCase> {
 protected:
  void SetUp() override { Load(100, 100); }
};

TEST_P(Turn, ShowsTheSourceTurnedClockwise) {
  const int32_t nodes = history->CountNodes();
  const int32_t result = Node().Rotate(GetParam().step);
  if (GetParam().rotation < 0) {
    EXPECT_EQ(result, 0);
    EXPECT_EQ(history->CountNodes(), nodes);
    return;
  }
  EXPECT_EQ(result, 1);
  EXPECT_EQ(Node().rotation, GetParam().rotation);
  const Bitmap& image = Rendered();
  for (const Point at : {Point{0, 0}, Point{99, 0}, Point{10, 70}, Point{99, 99}, Point{55, 3}}) {
    const Point source = GetParam().from(at.X, at.Y);
    EXPECT_EQ(PixelAt(image, at.X, at.Y), PatternColor(source.X, source.Y, 100, 100))
        << at.X << ", " << at.Y;
  }
}

INSTANTIATE_TEST_SUITE_P(Steps, Turn,
                         ::testing::Values(TurnCase{90, 90,
                                                    [](int32_t x, int32_t y) {
                                                      return Point{y, 99 - x};
                                                    }},
                                           TurnCase{450, 90,
                                                    [](int32_t x, int32_t y) {
                                                      return Point{y, 99 - x};
                                                    }},
                                           TurnCase{-90, 270,
                                                    [](int32_t x, int32_t y) {
                                                      return Point{99 - y, x};
                                                    }},
                                           TurnCase{180, 180,
                                                    [](int32_t x, int32_t y) {
                                                      return Point{99 - x, 99 - y};
                                                    }},
                                           TurnCase{-360, 0,
                                                    [](int32_t x, int32_t y) {
                                                      return Point{x, y};
                                                    }},
                                           TurnCase{45, -1, nullptr}, TurnCase{100, -1, nullptr}));

TEST_F(HistoryTest, FourQuarterTurnsGiveTheFirstPictureBack) {
  Load(2000, 1500);
  const std::unique_ptr<Bitmap> first = Snapshot();
  for (int32_t i = 0; i < 4; ++i) {
    ASSERT_EQ(Node().Rotate(90), 1);
    Rendered();
  }
  EXPECT_EQ(Node().rotation, 0);
  EXPECT_EQ(history->CountNodes(), 5);
  EXPECT_TRUE(SamePixels(Rendered(), *first));
}

TEST_F(HistoryTest, ExifOrientedPhotoIsUprightFromTheStart) {
  // Stored 64 wide and 32 high, tagged as turned: the picture is 32 x 64.
  Bitmap stored(64, 32, imaging::PixelFormat::Format24bppRGB);
  const std::string path = (testing::ScratchDir() / "stored.jpg").string();
  ASSERT_EQ(stored.Save(path, imaging::kJpegEncoderClsid), imaging::Status::Ok);
  const std::string tagged =
      imaging::testing::WithExifOrientation(imaging::testing::ReadFile(path), 6);
  history = CImageHistory::FromPicture(
      imaging::EncodedPicture::FromBytes(imaging::testing::BytesOf(tagged)));
  ASSERT_NE(history, nullptr);
  EXPECT_EQ(history->SourceWidth(), 32u);
  EXPECT_EQ(Node().fullWidth, 32);
  EXPECT_EQ(SizeOf(Node().GetRenderedImage()), (Size{32, 64}));
  Node().Rotate(90);
  EXPECT_EQ(SizeOf(Node().GetRenderedImage()), (Size{32, 16}));
}

TEST_F(HistoryTest, BaseRenderingLeavesOutEffectsStrokesAndFrame) {
  const std::unique_ptr<Bitmap> bare = Snapshot();
  Node().ChangeEffect(kEffectGrayscale, 1);
  const std::vector<Point> stroke{{20, 20}, {200, 100}};
  Node().DrawPenStroke(stroke);
  Node().SetFrameIndex(3);
  ASSERT_TRUE(Node().RedrawImage(false, true));
  EXPECT_TRUE(SamePixels(*Node().renderedImage, *bare));
}

TEST_F(HistoryTest, PenStrokeKeepsItsColourUnderEffects) {
  Node().penColor = 0xFFFF0000u;
  Node().penWidth = 7;
  const std::vector<Point> stroke{{20, 50}, {300, 50}};
  ASSERT_EQ(Node().DrawPenStroke(stroke), 1);
  ASSERT_EQ(Node().ChangeEffect(kEffectGrayscale, 1), 1);
  const Bitmap& image = Rendered();
  EXPECT_EQ(PixelAt(image, 150, 50), 0xFFFF0000u);
  EXPECT_TRUE(IsGray(PixelAt(image, 150, 150)));
}

// The mean of the base's pixels in a block, per channel.
imaging::ARGB BlockMean(const Bitmap& base, int32_t left, int32_t top, int32_t width,
                        int32_t height) {
  uint32_t sums[3] = {0, 0, 0};
  for (int32_t y = top; y < top + height; ++y) {
    for (int32_t x = left; x < left + width; ++x) {
      const imaging::ARGB color = PixelAt(base, x, y);
      for (int c = 0; c < 3; ++c) sums[c] += (color >> (8 * c)) & 0xFF;
    }
  }
  const auto count = static_cast<uint32_t>(width * height);
  return 0xFF000000u | (sums[2] / count) << 16 | (sums[1] / count) << 8 | (sums[0] / count);
}

TEST_F(HistoryTest, MosaicBlocksAreAnchoredAtTheRectangle) {
  const std::unique_ptr<Bitmap> base = Snapshot();
  ASSERT_EQ(Node().ApplyMosaic({10, 20, 12, 7}, 5), 1);
  const Bitmap& image = Rendered();
  // Widths 5, 5, 2 and heights 5, 2.
  EXPECT_EQ(PixelAt(image, 10, 20), BlockMean(*base, 10, 20, 5, 5));
  EXPECT_EQ(PixelAt(image, 14, 24), BlockMean(*base, 10, 20, 5, 5));
  EXPECT_EQ(PixelAt(image, 20, 20), BlockMean(*base, 20, 20, 2, 5));
  EXPECT_EQ(PixelAt(image, 21, 26), BlockMean(*base, 20, 25, 2, 2));
  EXPECT_EQ(PixelAt(image, 22, 20), PixelAt(*base, 22, 20));
  EXPECT_EQ(PixelAt(image, 10, 27), PixelAt(*base, 10, 27));
}

TEST_F(HistoryTest, MosaicBlockSizeBelowOneCountsAsOne) {
  const std::unique_ptr<Bitmap> base = Snapshot();
  EXPECT_EQ(Node().ApplyMosaic({10, 20, 30, 30}, 0), 1);
  EXPECT_EQ(Node().ApplyMosaic({10, 20, 30, 30}, -4), 1);
  EXPECT_TRUE(SamePixels(Rendered(), *base));
}

TEST(MosaicAndGrayscale, GiveTheSamePictureInEitherOrder) {
  ImagingScope imaging;
  std::unique_ptr<Bitmap> results[2];
  for (int order = 0; order < 2; ++order) {
    auto history = CImageHistory::FromFile(testing::PatternFile(400, 300));
    ASSERT_NE(history, nullptr);
    if (order == 0) history->Current().ChangeEffect(kEffectGrayscale, 1);
    history->Current().ApplyMosaic({40, 40, 100, 60}, 8);
    if (order == 1) history->Current().ChangeEffect(kEffectGrayscale, 1);
    results[order] = history->Current().GetRenderedImage()->Clone();
  }
  EXPECT_TRUE(IsGray(PixelAt(*results[0], 50, 50)));
  EXPECT_TRUE(SamePixels(*results[0], *results[1]));
}

TEST_F(HistoryTest, SaveTempJpegWritesPictureAndThumbnailWithoutTouchingTheView) {
  Load(940, 704);
  const Bitmap* shown = Node().GetRenderedImage();
  ASSERT_EQ(Node().SaveTempJpeg(), 1);
  EXPECT_EQ(Node().renderedImage.get(), shown);
  const std::string picture = Node().tempPicturePath;
  const std::string thumbnail = Node().tempThumbnailPath;
  ASSERT_TRUE(std::filesystem::exists(picture)) << picture;
  ASSERT_TRUE(std::filesystem::exists(thumbnail)) << thumbnail;
  EXPECT_EQ(picture.substr(picture.size() - 4), ".jpg");
  EXPECT_EQ(thumbnail.substr(thumbnail.size() - 6), "_t.jpg");
  EXPECT_EQ(SizeOf(Bitmap::FromFile(picture).get()), (Size{470, 352}));
  EXPECT_EQ(SizeOf(Bitmap::FromFile(thumbnail).get()), (Size{160, 120}));
  ASSERT_EQ(Node().SaveTempJpeg(), 1);
  EXPECT_NE(Node().tempPicturePath, picture);
}

}  // namespace
}  // namespace varn::imagedoc
