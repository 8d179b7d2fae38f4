// The picture editor's engine as a member feels it: adding a photo (reading
// it and rendering its first state at the working width), turning it, and
// writing a state for the upload. The anchor is libjpeg-turbo decoding the
// same photo at full size plus one scaling pass, in the same run.
#include <benchmark/benchmark.h>
#include <jpeglib.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "bench/synthetic_photo.h"
#include "common/imaging_startup.h"
#include "common/submit_files.h"
#include "imagedoc/image_history.h"
#include "platform/imaging/bitmap.h"
#include "platform/imaging/encoded_picture.h"
#include "platform/imaging/graphics.h"

namespace varn::imagedoc {
namespace {

constexpr int kPhotoWidth = 4000;
constexpr int kPhotoHeight = 3000;

// Written once per machine; later runs reuse it.
const std::string& PhotoPath() {
  static const std::string path = [] {
    std::string file = "/tmp/varn_imagedoc_bench_photo_4000x3000.jpg";
    bench::EnsureSyntheticPhoto(file, kPhotoWidth, kPhotoHeight);
    return file;
  }();
  return path;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Anchor: the file read, decoded by libjpeg-turbo straight into a bitmap's
// rows, and scaled once to the working width with the filtered mode.
void LibjpegDecodeAndScale(benchmark::State& state) {
  ImagingScope imaging;
  const std::string& path = PhotoPath();
  for (auto _ : state) {
    const std::vector<uint8_t> bytes = ReadBytes(path);
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), bytes.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&info);
    const auto width = static_cast<int32_t>(info.output_width);
    const auto height = static_cast<int32_t>(info.output_height);
    imaging::Bitmap full(width, height, imaging::PixelFormat::Format24bppRGB,
                         imaging::BitmapFill::Uninitialized);
    imaging::BitmapData data;
    full.LockBits({0, 0, width, height}, imaging::ImageLockMode::Write,
                  imaging::PixelFormat::Format24bppRGB, &data);
    while (info.output_scanline < info.output_height) {
      JSAMPROW rows[1] = {
          reinterpret_cast<JSAMPROW>(data.Row(static_cast<int32_t>(info.output_scanline)))};
      jpeg_read_scanlines(&info, rows, 1);
    }
    full.UnlockBits(&data);
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    const int32_t scaledHeight = static_cast<int32_t>(int64_t{470} * height / width);
    imaging::Bitmap scaled(470, scaledHeight, imaging::PixelFormat::Format24bppRGB);
    imaging::Graphics graphics(scaled);
    graphics.SetInterpolationMode(imaging::InterpolationMode::HighQualityBilinear);
    graphics.DrawImage(full, 0, 0, 470, scaledHeight);
    benchmark::DoNotOptimize(scaled.GetWidth());
  }
}
BENCHMARK(LibjpegDecodeAndScale)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// Adding a photo: the history made from the file and its first state rendered.
void LoadAndRenderFirstNode(benchmark::State& state) {
  ImagingScope imaging;
  const std::string& path = PhotoPath();
  for (auto _ : state) {
    std::unique_ptr<CImageHistory> history = CImageHistory::FromFile(path);
    const imaging::Bitmap* image = history->Current().GetRenderedImage();
    if (!image || image->GetWidth() != 470) state.SkipWithError("no rendering");
  }
}
BENCHMARK(LoadAndRenderFirstNode)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// A quarter turn: the source decoded, turned and scaled again.
void RotateAndRender(benchmark::State& state) {
  ImagingScope imaging;
  std::unique_ptr<CImageHistory> history = CImageHistory::FromFile(PhotoPath());
  for (auto _ : state) {
    history->Current().Rotate(90);
    benchmark::DoNotOptimize(history->Current().GetRenderedImage());
  }
}
BENCHMARK(RotateAndRender)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// Writing a 470 x 352 state and its thumbnail for the upload.
void SaveTempJpeg(benchmark::State& state) {
  ImagingScope imaging;
  std::unique_ptr<CImageHistory> history = CImageHistory::FromFile(PhotoPath());
  CHistoryNode& node = history->Current();
  node.GetRenderedImage();
  for (auto _ : state) {
    CSubmitFiles files;
    if (node.SaveTempJpeg(&files) != 1) state.SkipWithError("not written");
    state.PauseTiming();
    files.RemoveAll();
    state.ResumeTiming();
  }
}
BENCHMARK(SaveTempJpeg)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// A text dragged over a fully decorated picture: every mouse move re-renders
// a 470 x 352 state with frame 7, a stamp and five balloons. It has to stay
// well inside a 60 Hz frame.
void DragTextOverDecorations(benchmark::State& state) {
  ImagingScope imaging;
  std::unique_ptr<CImageHistory> history = CImageHistory::FromFile(PhotoPath());
  history->Current().SetFrameIndex(7);
  history->Current().SetSignIndex(1);
  history->Current().SetSignAlign(2);
  history->Current().SetStampText(u"Varn 2026");
  for (int32_t i = 0; i < 5; ++i) {
    CHistoryNode& node = history->Current();
    // The last one stays selected, to be dragged.
    node.ReleaseCurrentText();
    node.SetCartoonIndex(0x10 * (i % 4) + i % 4);
    node.nextTextPosition = {30.0f + 60.0f * static_cast<float>(i),
                             40.0f + 50.0f * static_cast<float>(i)};
    node.SetCurrentText(u"こんにちは Balloon");
  }
  CHistoryNode& node = history->Current();
  node.GetRenderedImage();
  float step = 1.0f;
  for (auto _ : state) {
    node.MoveCurrentText(step, 0.0f);
    step = -step;
    const imaging::Bitmap* image = node.GetRenderedImage();
    if (!image || image->GetWidth() != 500) state.SkipWithError("no framed rendering");
  }
}
BENCHMARK(DragTextOverDecorations)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// The two parts of adding a photo on their own: the upright decode at full
// size, and the scaling of the decoded photo to the working width.
void DecodeUpright(benchmark::State& state) {
  ImagingScope imaging;
  const imaging::EncodedPicture picture = imaging::EncodedPicture::FromFile(PhotoPath());
  for (auto _ : state) benchmark::DoNotOptimize(picture.Decode()->GetWidth());
}
BENCHMARK(DecodeUpright)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void ScaleDecodedPhoto(benchmark::State& state) {
  ImagingScope imaging;
  const std::unique_ptr<imaging::Bitmap> photo =
      imaging::EncodedPicture::FromFile(PhotoPath()).Decode();
  for (auto _ : state) {
    imaging::Bitmap scaled(470, 352, imaging::PixelFormat::Format24bppRGB);
    imaging::Graphics graphics(scaled);
    graphics.SetInterpolationMode(imaging::InterpolationMode::Default);
    graphics.DrawImage(*photo, 0, 0, 470, 352);
    graphics.SetInterpolationMode(imaging::InterpolationMode::HighQualityBilinear);
    graphics.DrawImage(*photo, 0, 0, 470, 352);
    benchmark::DoNotOptimize(scaled.GetWidth());
  }
}
BENCHMARK(ScaleDecodedPhoto)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

}  // namespace
}  // namespace varn::imagedoc

BENCHMARK_MAIN();
