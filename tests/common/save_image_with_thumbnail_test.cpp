#include "common/save_image_with_thumbnail.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "common/submit_files.h"
#include "platform/imaging/graphics.h"
#include "platform/system/file_io.h"
#include "platform/system/temp_directory.h"
#include "tests/support/private_directory_swap.h"

namespace varn {
namespace {

using imaging::ARGB;
using imaging::Bitmap;
using imaging::PixelFormat;
using imaging::Rect;
using imaging::Status;

constexpr ARGB kRed = 0xFFFF0000u;

class ScratchDirectory {
 public:
  ScratchDirectory() {
    std::string pattern = system::TempDirectoryBase() + "/thumbs-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& Path() const { return path_; }

  std::vector<std::string> NamesEndingWith(const std::string& suffix) const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
      const std::string name = entry.path().filename().string();
      if (name.size() >= suffix.size() && name.ends_with(suffix)) names.push_back(name);
    }
    return names;
  }

 private:
  std::string path_;
};

std::unique_ptr<Bitmap> Solid(int32_t width, int32_t height, ARGB color) {
  auto bitmap = std::make_unique<Bitmap>(width, height, PixelFormat::Format24bppRGB);
  imaging::Graphics(*bitmap).Clear(color);
  return bitmap;
}

bool IsRed(ARGB c) { return ((c >> 16) & 0xFF) > 200 && ((c >> 8) & 0xFF) < 60 && (c & 0xFF) < 60; }
bool IsWhite(ARGB c) {
  return ((c >> 16) & 0xFF) > 240 && ((c >> 8) & 0xFF) > 240 && (c & 0xFF) > 240;
}

ARGB PixelAt(const Bitmap& bitmap, int32_t x, int32_t y) {
  ARGB color = 0;
  EXPECT_EQ(bitmap.GetPixel(x, y, &color), Status::Ok) << x << "," << y;
  return color;
}

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

// The first quantisation table of a JPEG file, in file order.
std::vector<int> FirstQuantisationTable(const std::string& path) {
  const auto file = system::ReadWholeFile(path);
  const auto& bytes = file.value;
  for (std::size_t i = 0; i + 5 + 64 <= bytes.size(); ++i) {
    if (bytes[i] != std::byte{0xFF} || bytes[i + 1] != std::byte{0xDB}) continue;
    if ((std::to_integer<int>(bytes[i + 4]) >> 4) != 0) return {};  // 16-bit table
    std::vector<int> table;
    for (std::size_t k = 0; k < 64; ++k) table.push_back(std::to_integer<int>(bytes[i + 5 + k]));
    return table;
  }
  return {};
}

TEST(ThumbnailPlacement, WiderThanFourThirdsSpansTheWidth) {
  const Rect wide = ThumbnailPlacement(470, 352);
  EXPECT_EQ((std::vector<int>{wide.X, wide.Y, wide.Width, wide.Height}),
            (std::vector<int>{0, 0, 160, 119}));
  const Rect panorama = ThumbnailPlacement(1600, 400);
  EXPECT_EQ((std::vector<int>{panorama.X, panorama.Y, panorama.Width, panorama.Height}),
            (std::vector<int>{0, 40, 160, 40}));
}

TEST(ThumbnailPlacement, OthersSpanTheHeight) {
  const Rect exact = ThumbnailPlacement(400, 300);  // exactly 4:3, not wider
  EXPECT_EQ((std::vector<int>{exact.X, exact.Y, exact.Width, exact.Height}),
            (std::vector<int>{0, 0, 160, 120}));
  const Rect square = ThumbnailPlacement(77, 77);
  EXPECT_EQ((std::vector<int>{square.X, square.Y, square.Width, square.Height}),
            (std::vector<int>{20, 0, 120, 120}));
  const Rect tall = ThumbnailPlacement(300, 400);
  EXPECT_EQ((std::vector<int>{tall.X, tall.Y, tall.Width, tall.Height}),
            (std::vector<int>{35, 0, 90, 120}));
  // Extreme shapes shrink to nothing rather than divide by zero.
  EXPECT_EQ(ThumbnailPlacement(1, 100000).Width, 0);
  EXPECT_EQ(ThumbnailPlacement(100000, 1).Height, 0);
  EXPECT_TRUE(ThumbnailPlacement(0, 10).IsEmptyArea());
}

struct DrawnArea {
  int32_t width;
  int32_t height;
  Rect drawn;
};

TEST(SaveImageWithThumbnail, ThumbnailPixelsFollowThePlacement) {
  ScratchDirectory dir;
  const DrawnArea cases[] = {
      {470, 352, {0, 0, 160, 119}},
      {200, 200, {20, 0, 120, 120}},
      {400, 300, {0, 0, 160, 120}},
      {300, 400, {35, 0, 90, 120}},
  };
  for (const DrawnArea& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    std::string picture;
    std::string thumbnail;
    ASSERT_TRUE(SaveImageWithThumbnailIn(dir.Path(), *Solid(c.width, c.height, kRed),
                                         PictureFileType::Png, &picture, &thumbnail));
    const auto thumb = Bitmap::FromFile(thumbnail);
    ASSERT_EQ(thumb->GetLastStatus(), Status::Ok);
    ASSERT_EQ(thumb->GetWidth(), 160u);
    ASSERT_EQ(thumb->GetHeight(), 120u);
    for (int32_t y = 0; y < 120; ++y) {
      for (int32_t x = 0; x < 160; ++x) {
        const ARGB color = PixelAt(*thumb, x, y);
        const bool inside = c.drawn.Contains(x, y);
        ASSERT_TRUE(inside ? IsRed(color) : IsWhite(color))
            << "pixel " << x << "," << y << " is " << std::hex << color;
      }
    }
  }
}

TEST(SaveImageWithThumbnail, PngPairNextToItsPlaceholder) {
  ScratchDirectory dir;
  std::string picture;
  std::string thumbnail;
  ASSERT_TRUE(SaveImageWithThumbnailIn(dir.Path(), *Solid(64, 48, kRed), PictureFileType::Png,
                                       &picture, &thumbnail));
  ASSERT_TRUE(picture.ends_with(".png")) << picture;
  const std::string stem = picture.substr(0, picture.size() - 4);
  EXPECT_EQ(thumbnail, stem + "_t.png");
  EXPECT_EQ(system::GetFileSize(stem + ".tmp").value, 0u);
  EXPECT_EQ(stem.substr(0, dir.Path().size() + 4), dir.Path() + "/img");

  const auto saved = Bitmap::FromFile(picture);
  ASSERT_EQ(saved->GetLastStatus(), Status::Ok);
  EXPECT_EQ(saved->GetWidth(), 64u);
  EXPECT_EQ(saved->GetHeight(), 48u);
  EXPECT_EQ(PixelAt(*saved, 10, 10), kRed);
}

TEST(SaveImageWithThumbnail, JpegPairWithItsQualities) {
  ScratchDirectory dir;
  std::string picture;
  std::string thumbnail;
  ASSERT_TRUE(SaveImageWithThumbnailIn(dir.Path(), *Solid(470, 352, kRed), PictureFileType::Jpeg,
                                       &picture, &thumbnail));
  ASSERT_TRUE(picture.ends_with(".jpg")) << picture;
  const std::string stem = picture.substr(0, picture.size() - 4);
  EXPECT_EQ(thumbnail, stem + "_t.jpg");
  EXPECT_TRUE(Exists(stem + ".tmp"));

  const auto saved = Bitmap::FromFile(picture);
  ASSERT_EQ(saved->GetLastStatus(), Status::Ok);
  EXPECT_EQ(saved->GetWidth(), 470u);
  EXPECT_EQ(saved->GetHeight(), 352u);
  EXPECT_TRUE(IsRed(PixelAt(*saved, 235, 176)));
  const auto thumb = Bitmap::FromFile(thumbnail);
  ASSERT_EQ(thumb->GetLastStatus(), Status::Ok);
  EXPECT_EQ(thumb->GetWidth(), 160u);
  EXPECT_EQ(thumb->GetHeight(), 120u);

  // The standard luminance table scaled for quality 80 starts 6, 4, 5; at
  // quality 100 every step is 1.
  const auto pictureTable = FirstQuantisationTable(picture);
  ASSERT_EQ(pictureTable.size(), 64u);
  EXPECT_EQ((std::vector<int>(pictureTable.begin(), pictureTable.begin() + 3)),
            (std::vector<int>{6, 4, 5}));
  EXPECT_EQ(FirstQuantisationTable(thumbnail), std::vector<int>(64, 1));
}

TEST(SaveImageWithThumbnail, EachSaveMakesNewNames) {
  ScratchDirectory dir;
  const auto image = Solid(20, 20, kRed);
  std::string pictures[2];
  std::string thumbnails[2];
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(SaveImageWithThumbnailIn(dir.Path(), *image, PictureFileType::Png, &pictures[i],
                                         &thumbnails[i]));
  }
  EXPECT_NE(pictures[0], pictures[1]);
  EXPECT_NE(thumbnails[0], thumbnails[1]);
  EXPECT_EQ(dir.NamesEndingWith(".tmp").size(), 2u);
  EXPECT_EQ(dir.NamesEndingWith("_t.png").size(), 2u);
  EXPECT_EQ(dir.NamesEndingWith(".png").size(), 4u);
}

TEST(SaveImageWithThumbnail, FailuresReturnFalse) {
  ScratchDirectory dir;
  std::string picture = "unchanged";
  std::string thumbnail = "unchanged";
  EXPECT_FALSE(SaveImageWithThumbnailIn(dir.Path() + "/missing", *Solid(10, 10, kRed),
                                        PictureFileType::Jpeg, &picture, &thumbnail));
  EXPECT_EQ(picture, "unchanged");
  EXPECT_EQ(thumbnail, "unchanged");

  // A picture that cannot be saved: the caller still learns the names, and
  // no thumbnail is made.
  const Bitmap failed(0, 0, PixelFormat::Format24bppRGB);
  ASSERT_NE(failed.GetLastStatus(), Status::Ok);
  EXPECT_FALSE(
      SaveImageWithThumbnailIn(dir.Path(), failed, PictureFileType::Png, &picture, &thumbnail));
  EXPECT_TRUE(thumbnail.ends_with("_t.png")) << thumbnail;
  EXPECT_FALSE(Exists(picture));
  EXPECT_FALSE(Exists(thumbnail));
  EXPECT_EQ(dir.NamesEndingWith(".tmp").size(), 1u);

  EXPECT_FALSE(SaveImageWithThumbnailIn(dir.Path(), *Solid(4, 4, kRed), PictureFileType::Png,
                                        nullptr, &thumbnail));
  EXPECT_EQ(dir.NamesEndingWith(".tmp").size(), 1u);
}

TEST(SaveImageWithThumbnail, DefaultsToThePrivateTemporaryDirectory) {
  std::string picture;
  std::string thumbnail;
  ASSERT_TRUE(
      SaveImageWithThumbnail(*Solid(8, 6, kRed), PictureFileType::Jpeg, &picture, &thumbnail));
  const std::string directory = system::OpenTempDirectory().value.Path();
  EXPECT_EQ(picture.substr(0, directory.size()), directory);
  EXPECT_TRUE(Exists(picture));
  EXPECT_TRUE(Exists(thumbnail));
}

TEST(SaveImageWithThumbnail, WritesNothingOnceTheDirectoryWasReplaced) {
  std::string picture;
  std::string thumbnail;
  ASSERT_TRUE(
      SaveImageWithThumbnail(*Solid(8, 6, kRed), PictureFileType::Png, &picture, &thumbnail));
  const ScratchDirectory elsewhere;
  for (const test::ReplacementCase& c : test::kReplacements) {
    const test::PrivateDirectorySwap swap(c.replacement, elsewhere.Path());
    EXPECT_FALSE(
        SaveImageWithThumbnail(*Solid(8, 6, kRed), PictureFileType::Png, &picture, &thumbnail))
        << c.name;
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere.Path())) << c.name;
  }
}

// The owner of a submit's files removes all it was given, written or not,
// from the directory they were made in, even when that has been moved and
// another put in its place.
TEST(SubmitFiles, RemovesWhatASaveMadeFromTheDirectoryItWasMadeIn) {
  const auto red = Solid(8, 6, kRed);
  const Bitmap unwritable(0, 0, PixelFormat::Format24bppRGB);
  const struct {
    const char* name;
    const Bitmap& image;
    bool saved;
  } cases[] = {{"written", *red, true}, {"picture not written", unwritable, false}};
  for (const auto& c : cases) {
    ScratchDirectory dir;
    const auto opened = system::OpenDirectoryAt(dir.Path());
    ASSERT_TRUE(opened);
    const std::string moved = dir.Path() + ".moved";
    {
      CSubmitFiles files;
      std::string picture;
      std::string thumbnail;
      EXPECT_EQ(SaveImageWithThumbnailIn(opened.value, c.image, PictureFileType::Png, &picture,
                                         &thumbnail, &files),
                c.saved)
          << c.name;
      EXPECT_EQ(files.Count(), 3u) << c.name;
      EXPECT_EQ(dir.NamesEndingWith(".png").size(), c.saved ? 2u : 0u) << c.name;
      ASSERT_EQ(std::rename(dir.Path().c_str(), moved.c_str()), 0);
      std::filesystem::create_directory(dir.Path());
      std::ofstream(picture) << "not the submit's";
    }
    EXPECT_TRUE(std::filesystem::is_empty(moved)) << c.name;
    EXPECT_EQ(dir.NamesEndingWith(".png").size(), 1u) << c.name;
    std::filesystem::remove_all(moved);
  }
}

}  // namespace
}  // namespace varn
