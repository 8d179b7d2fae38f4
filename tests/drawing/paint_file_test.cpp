#include "drawing/paint_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "drawing/drawing_document.h"
#include "drawing/layer_operations.h"
#include "drawing/tool_types.h"
#include "model_test_support.h"
#include "platform/system/file_io.h"
#include "tests/platform/system/scratch_directory.h"

namespace varn::drawing {
namespace {

using system::testing::ScratchDirectory;
using testing::LayerPixel;
using testing::SetLayerPixel;

using Bytes = std::vector<std::byte>;

// Offsets of the fixed header fields and of the first layer record.
constexpr std::size_t kVersionAt = 16;
constexpr std::size_t kCanvasWidthAt = 20;
constexpr std::size_t kSelectedAt = 28;
constexpr std::size_t kCounterAt = 32;
constexpr std::size_t kLayerCountAt = 36;
constexpr std::size_t kFirstLayerAt = 40;
constexpr std::size_t kLayerHeaderBytes = 24;

Bytes ReadAll(const std::string& path) { return system::ReadWholeFile(path).value; }

void WriteAll(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

int32_t Int32At(const Bytes& bytes, std::size_t at) {
  uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v |= static_cast<uint32_t>(bytes.at(at + i)) << (8 * i);
  return static_cast<int32_t>(v);
}

void PutInt32(Bytes& bytes, std::size_t at, uint32_t v) {
  for (std::size_t i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<std::byte>(v >> (8 * i));
}

void PutFloat(Bytes& bytes, std::size_t at, float value) {
  uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  PutInt32(bytes, at, bits);
}

DrawingText MakeText(float x, float y, std::u16string content, std::u16string font) {
  DrawingText text;
  text.x = x;
  text.y = y;
  text.text = std::move(content);
  text.fontName = std::move(font);
  text.fontSize = 12;
  text.align = 1;
  text.style = 3;
  text.colour = 0x00123456;
  return text;
}

class PaintFile : public ::testing::Test {
 protected:
  CDrawingState& Current() { return *document.current; }

  // What a refused load must leave untouched.
  struct Snapshot {
    const CDrawingState* current;
    int32_t states;
    int32_t counter;
  };
  Snapshot Take() { return {document.current, document.CountStates(), nextLayerId}; }
  void ExpectUnchanged(const Snapshot& before, const std::string& what) {
    EXPECT_EQ(document.current, before.current) << what;
    EXPECT_EQ(document.CountStates(), before.states) << what;
    EXPECT_EQ(nextLayerId, before.counter) << what;
  }

  // A small drawing with everything a file holds: a 6 x 5 canvas, a moved
  // and grown second layer, a hidden third one, the middle one selected and
  // two texts. Returns its saved bytes.
  Bytes SaveSmallDrawing(const std::string& path) {
    Current().canvasWidth = 6;
    Current().canvasHeight = 5;
    Current().layers[0].bitmap = CreateLayerBitmap(6, 5);
    EXPECT_TRUE(AddLayer(Current()));
    EXPECT_TRUE(AddLayer(Current()));
    SetLayerPixel(Current(), 0, 0, 0, 0xFF0000FF);
    DrawingLayer& moved = Current().layers[1];
    moved.bitmap = CreateLayerBitmap(9, 7);
    moved.bitmap->SetPixel(8, 6, 0x80FF8000);
    moved.x = -3;
    moved.y = -2;
    EXPECT_TRUE(SelectLayer(Current(), 1));
    EXPECT_TRUE(ToggleLayerVisibility(Current(), 2));
    Current().texts.push_back(MakeText(1.5f, -2.25f, u"こんにちは", u"ＭＳ Ｐ明朝"));
    Current().texts.push_back(MakeText(3, 4, u"", u""));
    EXPECT_EQ(SavePaintFile(document, path), PaintFileSave::Saved);
    return ReadAll(path);
  }

  ScratchDirectory dir;
  CDrawingDocument document;
};

TEST_F(PaintFile, NewBoardGivesTheFullLayoutAndCounterOne) {
  const std::string path = dir / "paint.tbp";
  SetLayerPixel(Current(), 0, 1, 0, 0xAA112233);
  ASSERT_EQ(SavePaintFile(document, path), PaintFileSave::Saved);
  const Bytes bytes = ReadAll(path);
  ASSERT_EQ(bytes.size(), 360068u);
  EXPECT_EQ(std::memcmp(bytes.data(), "Tembra Oekaki\r\n", 16), 0);  // with its 0 byte
  EXPECT_EQ(Int32At(bytes, kVersionAt), 0x1001);
  EXPECT_EQ(Int32At(bytes, kCanvasWidthAt), 300);
  EXPECT_EQ(Int32At(bytes, kCanvasWidthAt + 4), 300);
  EXPECT_EQ(Int32At(bytes, kSelectedAt), 0);
  EXPECT_EQ(Int32At(bytes, kCounterAt), 1);
  EXPECT_EQ(Int32At(bytes, kLayerCountAt), 1);
  // id, x, y, visible, width, height.
  const std::vector<int32_t> layer = {0, 0, 0, 1, 300, 300};
  for (std::size_t i = 0; i < layer.size(); ++i) {
    EXPECT_EQ(Int32At(bytes, kFirstLayerAt + 4 * i), layer[i]) << i;
  }
  // The second pixel of the top row: blue, green, red, alpha.
  const std::size_t pixel = kFirstLayerAt + kLayerHeaderBytes + 4;
  EXPECT_EQ(Int32At(bytes, pixel), static_cast<int32_t>(0xAA112233));
  EXPECT_EQ(bytes[pixel], std::byte{0x33});
  EXPECT_EQ(bytes[pixel + 3], std::byte{0xAA});
  EXPECT_EQ(Int32At(bytes, bytes.size() - 4), 0);  // no texts
}

TEST_F(PaintFile, TextRecordsCountTheirStringsWithTheTerminator) {
  const std::string path = dir / "texts.tbp";
  Current().texts.push_back(MakeText(7.5f, 8, u"ab", u"ＭＳ Ｐ明朝"));
  Current().texts.push_back(MakeText(0, 0, u"", u""));
  ASSERT_EQ(SavePaintFile(document, path), PaintFileSave::Saved);
  const Bytes bytes = ReadAll(path);
  std::size_t at = 360064;
  EXPECT_EQ(Int32At(bytes, at), 2);
  at += 4;
  float x = 0;
  std::memcpy(&x, &bytes[at], 4);
  EXPECT_EQ(x, 7.5f);
  EXPECT_EQ(Int32At(bytes, at + 8), 12);
  EXPECT_EQ(Int32At(bytes, at + 20), 0x00123456);
  at += 24;
  EXPECT_EQ(Int32At(bytes, at), 14);              // six characters and the 0 character
  EXPECT_EQ(bytes[at + 4 + 4], std::byte{0x20});  // the third is a plain space
  EXPECT_EQ(bytes[at + 4 + 12], std::byte{0});
  at += 4 + 14;
  EXPECT_EQ(Int32At(bytes, at), 6);
  at += 4 + 6 + 24;
  // An empty string is a count of 2 and two 0 bytes.
  EXPECT_EQ(Int32At(bytes, at), 2);
  EXPECT_EQ(Int32At(bytes, at + 6), 2);
  EXPECT_EQ(bytes.size(), at + 12);
}

TEST_F(PaintFile, SaveAndLoadKeepLayersOffsetsVisibilityIdsSelectionAndTexts) {
  const std::string path = dir / "small.tbp";
  SaveSmallDrawing(path);
  const int32_t savedCounter = nextLayerId;

  CDrawingDocument other;
  DeriveState(*other.current, LayerCopy::Shared).colour = 0x00ABCDEF;
  other.current->penWidth = 7;
  other.current->toolType = 5;
  const CDrawingState* before = other.current;
  ASSERT_TRUE(LoadPaintFile(other, path));
  const CDrawingState& loaded = *other.current;
  const CDrawingState& saved = Current();
  EXPECT_EQ(nextLayerId, savedCounter);
  EXPECT_EQ(loaded.previous, before);
  EXPECT_EQ(loaded.canvasWidth, 6);
  EXPECT_EQ(loaded.canvasHeight, 5);
  EXPECT_EQ(loaded.selectedLayer, 1);
  ASSERT_EQ(loaded.layers.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    const DrawingLayer& a = saved.layers[i];
    const DrawingLayer& b = loaded.layers[i];
    EXPECT_EQ(b.id, a.id) << i;
    EXPECT_EQ(b.x, a.x) << i;
    EXPECT_EQ(b.y, a.y) << i;
    EXPECT_EQ(b.visible, a.visible) << i;
    ASSERT_EQ(b.bitmap->GetWidth(), a.bitmap->GetWidth()) << i;
    ASSERT_EQ(b.bitmap->GetHeight(), a.bitmap->GetHeight()) << i;
    EXPECT_EQ(b.bitmap->GetPixelFormat(), imaging::PixelFormat::Format32bppARGB);
    for (int32_t y = 0; y < static_cast<int32_t>(a.bitmap->GetHeight()); ++y) {
      for (int32_t x = 0; x < static_cast<int32_t>(a.bitmap->GetWidth()); ++x) {
        ASSERT_EQ(LayerPixel(loaded, i, x, y), LayerPixel(saved, i, x, y)) << i;
      }
    }
  }
  EXPECT_EQ(loaded.layers[1].x, -3);
  EXPECT_EQ(loaded.layers[1].bitmap->GetWidth(), 9u);
  EXPECT_EQ(LayerPixel(loaded, 1, 8, 6), 0x80FF8000u);
  EXPECT_EQ(loaded.layers[2].visible, 0);
  EXPECT_EQ(loaded.texts, saved.texts);
  // The board's own settings stay; only the drawing comes from the file.
  EXPECT_EQ(loaded.colour, 0x00ABCDEFu);
  EXPECT_EQ(loaded.penWidth, 7);
  EXPECT_EQ(loaded.toolType, 5);
  EXPECT_EQ(loaded.selectedText, -1);
  EXPECT_EQ(loaded.aboveComposite, nullptr);
  EXPECT_EQ(loaded.belowComposite, nullptr);
}

TEST_F(PaintFile, ALoadIsOneUndoStepAndDropsTheRedoStates) {
  const std::string path = dir / "undo.tbp";
  SetLayerPixel(Current(), 0, 5, 5, 0xFF00FF00);
  ASSERT_EQ(SavePaintFile(document, path), PaintFileSave::Saved);
  testing::PaintStep(document, 1, 1, 0xFF0000FF);
  testing::PaintStep(document, 2, 2, 0xFF0000FF);
  ASSERT_EQ(document.Undo(), kHistoryMoved);
  CDrawingState* before = document.current;
  const int32_t states = document.CountStates();
  nextLayerId = 40;

  ASSERT_TRUE(LoadPaintFile(document, path));
  EXPECT_EQ(nextLayerId, 1);
  EXPECT_EQ(document.Redo(), 0);
  EXPECT_EQ(document.CountStates(), states);  // one redo state went, one came
  EXPECT_EQ(LayerPixel(Current(), 0, 1, 1), 0u);
  EXPECT_EQ(document.Undo(), kHistoryMoved);
  EXPECT_EQ(document.current, before);
  EXPECT_EQ(LayerPixel(Current(), 0, 1, 1), 0xFF0000FFu);
  EXPECT_EQ(nextLayerId, 1);  // undo leaves the counter alone
}

TEST_F(PaintFile, ALoadedStateStartsTheNextEditsFromTheFile) {
  const std::string path = dir / "edit.tbp";
  SaveSmallDrawing(path);
  CDrawingDocument other;
  ASSERT_TRUE(LoadPaintFile(other, path));
  const CDrawingState* loaded = other.current;
  ASSERT_TRUE(SelectLayer(*other.current, 0));
  testing::PaintStep(other, 0, 0, 0xFFFFFFFF);
  EXPECT_EQ(LayerPixel(*loaded, 0, 0, 0), 0xFF0000FFu);
  // The counter goes on from the file's value: the file's ids stay unique.
  ASSERT_TRUE(AddLayer(*other.current));
  EXPECT_EQ(other.current->layers.back().id, 3);
}

TEST_F(PaintFile, RefusesWrongMagicAndVersionsWithTheDrawingUnchanged) {
  const std::string path = dir / "good.tbp";
  Bytes good = SaveSmallDrawing(path);
  nextLayerId = 77;
  const Snapshot before = Take();

  EXPECT_FALSE(LoadPaintFile(document, dir / "missing.tbp"));
  ExpectUnchanged(before, "missing");
  EXPECT_FALSE(LoadPaintFile(document, dir.Path()));
  ExpectUnchanged(before, "directory");

  Bytes bad = good;
  bad[15] = std::byte{'x'};
  WriteAll(path, bad);
  EXPECT_FALSE(LoadPaintFile(document, path));
  ExpectUnchanged(before, "sixteenth byte");
  for (uint32_t version : {0x1000u, 0x1002u, 0x01100000u}) {
    bad = good;
    PutInt32(bad, kVersionAt, version);
    WriteAll(path, bad);
    EXPECT_FALSE(LoadPaintFile(document, path));
    ExpectUnchanged(before, "version " + std::to_string(version));
  }
  WriteAll(path, good);
  EXPECT_TRUE(LoadPaintFile(document, path));
}

TEST_F(PaintFile, RefusesEveryTruncatedCopyAndTrailingBytes) {
  const std::string path = dir / "cut.tbp";
  const Bytes good = SaveSmallDrawing(path);
  const Snapshot before = Take();
  for (std::size_t size = 0; size < good.size(); ++size) {
    WriteAll(path, Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size)));
    EXPECT_FALSE(LoadPaintFile(document, path)) << size;
  }
  Bytes longer = good;
  longer.push_back(std::byte{0});
  WriteAll(path, longer);
  EXPECT_FALSE(LoadPaintFile(document, path));
  ExpectUnchanged(before, "truncated");
}

// One field of the small drawing's file set to a value the writer never
// writes; each must be refused.
struct Corruption {
  const char* what;
  std::size_t at;
  uint32_t value;
};

TEST_F(PaintFile, RefusesCountsSizesAndStringsTheWriterCannotMake) {
  const std::string path = dir / "bad.tbp";
  const Bytes good = SaveSmallDrawing(path);
  const Snapshot before = Take();
  const std::size_t secondLayer = kFirstLayerAt + kLayerHeaderBytes + 6 * 5 * 4;
  const std::size_t textCount = good.size() - (2 * 24 + 4 + 14 + 4 + 12 + 4 + 2 + 4 + 2) - 4;
  ASSERT_EQ(Int32At(good, textCount), 2);
  const std::size_t fontBytes = textCount + 4 + 24;
  ASSERT_EQ(Int32At(good, fontBytes), 14);
  const std::size_t contentBytes = fontBytes + 4 + 14;
  const std::vector<Corruption> corruptions = {
      {"canvas width 0", kCanvasWidthAt, 0},
      {"negative canvas", kCanvasWidthAt + 4, static_cast<uint32_t>(-5)},
      {"canvas over the side limit", kCanvasWidthAt, kMaxCanvasSide + 1},
      {"selected -1", kSelectedAt, static_cast<uint32_t>(-1)},
      {"selected past the layers", kSelectedAt, 3},
      {"no layers", kLayerCountAt, 0},
      {"eleven layers", kLayerCountAt, 11},
      {"negative layer count", kLayerCountAt, 0x80000000u},
      {"visible 2", kFirstLayerAt + 12, 2},
      {"layer width 0", kFirstLayerAt + 16, 0},
      {"negative layer width", kFirstLayerAt + 16, static_cast<uint32_t>(-6)},
      {"layer larger than the file", kFirstLayerAt + 20, 500},
      {"layer over the side limit", secondLayer + 16, 0x10000},
      {"layer size overflowing 32 bits", kFirstLayerAt + 16, 0x7FFFFFFF},
      {"layer x past the move limit", kFirstLayerAt + 4, kLayerMoveLimit + 1},
      {"layer y past the move limit", secondLayer + 8, static_cast<uint32_t>(-kLayerMoveLimit - 1)},
      {"layer x at the int32 minimum", kFirstLayerAt + 4, 0x80000000u},
      {"layer y at the int32 maximum", secondLayer + 8, 0x7FFFFFFFu},
      {"negative text count", textCount, static_cast<uint32_t>(-1)},
      {"too many texts", textCount, 100000},
      {"more texts than the file holds", textCount, 3},
      {"odd font name bytes", fontBytes, 13},
      {"zero font name bytes", fontBytes, 0},
      {"font name beyond the file", fontBytes, 0x7FFFFFFE},
      {"negative content bytes", contentBytes, static_cast<uint32_t>(-2)},
  };
  for (const Corruption& c : corruptions) {
    Bytes bad = good;
    PutInt32(bad, c.at, c.value);
    WriteAll(path, bad);
    EXPECT_FALSE(LoadPaintFile(document, path)) << c.what;
    ExpectUnchanged(before, c.what);
  }

  Bytes unterminated = good;
  unterminated.at(contentBytes - 2) = std::byte{'A'};  // the font name's 0 character
  WriteAll(path, unterminated);
  EXPECT_FALSE(LoadPaintFile(document, path));
  Bytes notANumber = good;
  PutFloat(notANumber, textCount + 4, std::numeric_limits<float>::quiet_NaN());
  WriteAll(path, notANumber);
  EXPECT_FALSE(LoadPaintFile(document, path));
  ExpectUnchanged(before, "strings and floats");
}

TEST_F(PaintFile, AStringEndsAtItsFirstZeroCharacter) {
  const std::string path = dir / "zero.tbp";
  Current().texts.push_back(MakeText(1, 1, std::u16string(u"ab\0cd", 5), u"Verdana"));
  ASSERT_EQ(SavePaintFile(document, path), PaintFileSave::Saved);
  ASSERT_TRUE(LoadPaintFile(document, path));
  EXPECT_EQ(Current().texts.at(0).text, u"ab");
}

TEST_F(PaintFile, MalformedFilesAreRefused) {
  const std::filesystem::path folder =
      std::filesystem::path(VARN_TEST_DATA_DIR "/../../data/malformed").lexically_normal();
  const Snapshot before = Take();
  int32_t replayed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != ".tbp") continue;
    EXPECT_FALSE(LoadPaintFile(document, entry.path().string())) << entry.path();
    ExpectUnchanged(before, entry.path().string());
    ++replayed;
  }
  EXPECT_GT(replayed, 0);
}

TEST_F(PaintFile, TheFuzzSeedsAreValidFiles) {
  const std::filesystem::path folder =
      std::filesystem::path(VARN_TEST_DATA_DIR "/../../../fuzz/corpus/paint_file_fuzz")
          .lexically_normal();
  int32_t loaded = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    EXPECT_TRUE(LoadPaintFile(document, entry.path().string())) << entry.path();
    ++loaded;
  }
  EXPECT_GT(loaded, 0);
  EXPECT_EQ(document.CountStates(), 1 + loaded);
}

TEST_F(PaintFile, SaveFailsWithoutTouchingAnEarlierFile) {
  EXPECT_EQ(SavePaintFile(document, dir / "no/such/folder/paint.tbp"), PaintFileSave::NoFolder);

  const std::string path = dir / "kept.tbp";
  const Bytes earlier = SaveSmallDrawing(path);
  CDrawingDocument large;  // 360 068 bytes, more than the limit set below
  struct rlimit old {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  struct rlimit small = old;
  small.rlim_cur = 4096;
  auto* previousHandler = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const PaintFileSave saved = SavePaintFile(large, path);
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, previousHandler);
  EXPECT_EQ(saved, PaintFileSave::Failed);
  EXPECT_EQ(ReadAll(path), earlier);
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) ++entries;
  EXPECT_EQ(entries, 1u);
}

TEST_F(PaintFile, SaveRefusesAStateItCouldNotLoadAgain) {
  const std::string path = dir / "never.tbp";
  Current().texts.push_back(MakeText(std::numeric_limits<float>::infinity(), 0, u"x", u""));
  EXPECT_EQ(SavePaintFile(document, path), PaintFileSave::Failed);
  EXPECT_FALSE(std::filesystem::exists(path));

  Current().texts.clear();
  Current().layers[0].x = -kLayerMoveLimit - 1;
  EXPECT_EQ(SavePaintFile(document, path), PaintFileSave::Failed);
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(PaintFile, OffsetsUpToTheMoveLimitLoadAgain) {
  const std::string path = dir / "far.tbp";
  Current().layers[0].x = -kLayerMoveLimit;
  Current().layers[0].y = kLayerMoveLimit;
  ASSERT_EQ(SavePaintFile(document, path), PaintFileSave::Saved);
  CDrawingDocument other;
  ASSERT_TRUE(LoadPaintFile(other, path));
  EXPECT_EQ(other.current->layers[0].x, -kLayerMoveLimit);
  EXPECT_EQ(other.current->layers[0].y, kLayerMoveLimit);
}

// Pixels that differ in every channel, alpha 0 with colour behind it among
// them, the same on every run.
void FillPattern(imaging::Bitmap& bitmap, uint32_t seed) {
  const auto width = static_cast<int32_t>(bitmap.GetWidth());
  const auto height = static_cast<int32_t>(bitmap.GetHeight());
  imaging::BitmapData data;
  ASSERT_EQ(bitmap.LockBits(imaging::Rect{0, 0, width, height}, imaging::ImageLockMode::Write,
                            imaging::PixelFormat::Format32bppARGB, &data),
            imaging::Status::Ok);
  uint32_t v = seed;
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      v = v * 1664525u + 1013904223u;
      data.Row(y)[x] = v;
    }
  }
  ASSERT_EQ(bitmap.UnlockBits(&data), imaging::Status::Ok);
}

DrawingLayer PatternLayer(int32_t id, int32_t width, int32_t height, int32_t x, int32_t y,
                          int32_t visible) {
  DrawingLayer layer{id, x, y, visible, CreateLayerBitmap(width, height)};
  FillPattern(*layer.bitmap, static_cast<uint32_t>(id) * 7919u);
  return layer;
}

// tests/data/paint/reference.tbp was saved from this board by the writer that
// laid the whole file out in memory; any later writer must give the same bytes.
void BuildReferenceBoard(CDrawingState& state) {
  state.canvasWidth = 7;
  state.canvasHeight = 5;
  state.layers = {PatternLayer(3, 7, 5, 0, 0, 1), PatternLayer(8, 11, 6, -3, -2, 1),
                  PatternLayer(5, 4, 3, 5, 4, 0), PatternLayer(12, 7, 5, 0, 0, 1)};
  state.selectedLayer = 2;
  state.texts = {MakeText(1.5f, -2.25f, u"こんにちは", u"ＭＳ Ｐ明朝"), MakeText(3, 4, u"", u""),
                 MakeText(-0.125f, 100.5f, u"line one\r\nline two", u"Verdana")};
  state.texts[2].colour = static_cast<int32_t>(0xFFABCDEF);  // only the RGB bytes are kept
  nextLayerId = 13;
}

Bytes ReferenceFile() {
  return ReadAll(std::filesystem::path(VARN_TEST_DATA_DIR "/../../data/paint/reference.tbp")
                     .lexically_normal());
}

TEST_F(PaintFile, SavesTheBytesOfTheReferenceFile) {
  const std::string path = dir / "reference.tbp";
  BuildReferenceBoard(Current());
  ASSERT_EQ(SavePaintFile(document, path), PaintFileSave::Saved);
  const Bytes reference = ReferenceFile();
  ASSERT_FALSE(reference.empty());
  EXPECT_EQ(ReadAll(path), reference);
}

TEST_F(PaintFile, ALoadedFileSavesToTheSameBytes) {
  const std::string path = dir / "again.tbp";
  const Bytes reference = ReferenceFile();
  WriteAll(path, reference);
  ASSERT_TRUE(LoadPaintFile(document, path));
  ASSERT_EQ(SavePaintFile(document, dir / "resaved.tbp"), PaintFileSave::Saved);
  EXPECT_EQ(ReadAll(dir / "resaved.tbp"), reference);

  // Layers of megabytes and odd widths: every pixel of them is read back,
  // none is left as the new bitmap happened to hold it.
  Current().layers = {PatternLayer(1, 1201, 900, 0, 0, 1), PatternLayer(2, 333, 1000, 7, -9, 0)};
  Current().selectedLayer = 1;
  const std::string large = dir / "large.tbp";
  ASSERT_EQ(SavePaintFile(document, large), PaintFileSave::Saved);
  const Bytes saved = ReadAll(large);
  CDrawingDocument other;
  ASSERT_TRUE(LoadPaintFile(other, large));
  ASSERT_EQ(SavePaintFile(other, dir / "large-again.tbp"), PaintFileSave::Saved);
  EXPECT_TRUE(ReadAll(dir / "large-again.tbp") == saved);
  EXPECT_EQ(LayerPixel(*other.current, 0, 1200, 899), LayerPixel(Current(), 0, 1200, 899));
}

// Memory as a source, as the fuzz target reads.
class MemorySource final : public PaintFileSource {
 public:
  explicit MemorySource(const Bytes& bytes) : bytes_(bytes) {}
  std::size_t Read(std::span<std::byte> block) override {
    const std::size_t count = std::min(block.size(), bytes_.size() - at_);
    std::memcpy(block.data(), bytes_.data() + at_, count);
    at_ += count;
    return count;
  }
  uint64_t Remaining() const override { return bytes_.size() - at_; }

 private:
  const Bytes& bytes_;
  std::size_t at_ = 0;
};

TEST_F(PaintFile, ReadingFromMemoryMatchesTheFile) {
  const Bytes bytes = SaveSmallDrawing(dir / "memory.tbp");
  MemorySource source(bytes);
  const std::optional<PaintFileContents> contents = ReadPaintFile(source);
  ASSERT_TRUE(contents);
  EXPECT_EQ(contents->layers.size(), 3u);
  EXPECT_EQ(contents->texts, Current().texts);
  EXPECT_EQ(contents->nextLayerId, nextLayerId);
}

}  // namespace
}  // namespace varn::drawing
