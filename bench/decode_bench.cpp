// Opening a phone photo as the picture editor and the cropper do: a 4000 x
// 3000 JPEG kept encoded and decoded upright, beside libjpeg-turbo decoding
// the same bytes straight into 32-bit rows in the same program (the anchor:
// the library Qt's reader runs on, with nothing around it). The decode should
// stay close to the anchor; a sideways photo adds the one pass that turns it.
#include <benchmark/benchmark.h>
#include <stdio.h>
#include <stdlib.h>
// jpeglib.h needs stdio's FILE declared first.
#include <jpeglib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/imaging/bitmap.h"
#include "platform/imaging/encoded_picture.h"

#ifndef JCS_EXTENSIONS
#error "the anchor needs libjpeg-turbo's 32-bit output"
#endif

namespace varn::imaging {
namespace {

constexpr int32_t kWidth = 4000;
constexpr int32_t kHeight = 3000;

// Smooth light with a little grain, so the file is a few megabytes at
// quality 90 like a phone's, not a flat picture or incompressible noise.
void FillPhotoLike(Bitmap& bitmap) {
  BitmapData data;
  bitmap.LockBits(Rect{0, 0, kWidth, kHeight}, ImageLockMode::Write, PixelFormat::Format24bppRGB,
                  &data);
  uint32_t grain = 2463534242u;
  for (int32_t y = 0; y < kHeight; ++y) {
    uint32_t* row = data.Row(y);
    for (int32_t x = 0; x < kWidth; ++x) {
      grain ^= grain << 13;
      grain ^= grain >> 17;
      grain ^= grain << 5;
      const uint32_t noise = grain & 15;
      const uint32_t r = (x * 200 / kWidth + noise) & 0xFF;
      const uint32_t g = (y * 180 / kHeight + 40 + noise) & 0xFF;
      const uint32_t b = ((x + y) * 120 / (kWidth + kHeight) + 60 + (noise >> 1)) & 0xFF;
      row[x] = 0xFF000000u | r << 16 | g << 8 | b;
    }
  }
  bitmap.UnlockBits(&data);
}

// The Exif segment a phone writes for a photo taken with the camera turned.
std::vector<uint8_t> WithExifOrientation(const std::vector<uint8_t>& jpeg, uint8_t orientation) {
  const uint8_t segment[] = {0xFF, 0xE1, 0x00,        0x22, 'E',  'x',  'i',  'f',  0,
                             0,    'M',  'M',         0x00, 0x2A, 0x00, 0x00, 0x00, 0x08,
                             0x00, 0x01, 0x01,        0x12, 0x00, 0x03, 0x00, 0x00, 0x00,
                             0x01, 0x00, orientation, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
  std::vector<uint8_t> result = jpeg;
  result.insert(result.begin() + 2, std::begin(segment), std::end(segment));
  return result;
}

const std::vector<uint8_t>& Photo() {
  static const std::vector<uint8_t> bytes = [] {
    Bitmap picture(kWidth, kHeight, PixelFormat::Format24bppRGB, BitmapFill::Uninitialized);
    FillPhotoLike(picture);
    const char* tmp = getenv("TMPDIR");
    std::string path =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/varn-decode-bench-XXXXXX";
    const int fd = mkstemp(path.data());
    if (fd < 0) std::abort();
    EncoderParameters quality{90};
    if (picture.Save(fd, kJpegEncoderClsid, &quality) != Status::Ok) std::abort();
    close(fd);
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> jpeg((std::istreambuf_iterator<char>(in)), {});
    unlink(path.c_str());
    return jpeg;
  }();
  return bytes;
}

void BM_AnchorLibjpegTurboDecode(benchmark::State& state) {
  const std::vector<uint8_t>& jpeg = Photo();
  for (auto _ : state) {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&info);
    const size_t stride = size_t{info.output_width} * 4;
    std::unique_ptr<uint8_t[]> pixels(new uint8_t[stride * info.output_height]);
    while (info.output_scanline < info.output_height) {
      JSAMPROW row = pixels.get() + stride * info.output_scanline;
      jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    benchmark::DoNotOptimize(pixels.get());
  }
  state.counters["encoded_MB"] = static_cast<double>(jpeg.size()) / 1e6;
}
BENCHMARK(BM_AnchorLibjpegTurboDecode)->Unit(benchmark::kMillisecond)->UseRealTime();

void DecodeWithOrientation(benchmark::State& state, uint8_t orientation) {
  const EncodedPicture picture =
      EncodedPicture::FromBytes(WithExifOrientation(Photo(), orientation));
  if (picture.GetStatus() != Status::Ok || picture.GetExifOrientation() != orientation) {
    state.SkipWithError("the photo was refused");
    return;
  }
  for (auto _ : state) {
    const auto bitmap = picture.Decode();
    if (bitmap->GetLastStatus() != Status::Ok) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(bitmap.get());
  }
}

void BM_DecodeUpright(benchmark::State& state) { DecodeWithOrientation(state, 1); }
BENCHMARK(BM_DecodeUpright)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DecodeTurnedQuarter(benchmark::State& state) { DecodeWithOrientation(state, 6); }
BENCHMARK(BM_DecodeTurnedQuarter)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DecodeTurnedHalf(benchmark::State& state) { DecodeWithOrientation(state, 3); }
BENCHMARK(BM_DecodeTurnedHalf)->Unit(benchmark::kMillisecond)->UseRealTime();

// What opening costs before any pixel is needed: the header alone.
void BM_HeaderOnly(benchmark::State& state) {
  const std::vector<uint8_t> jpeg = WithExifOrientation(Photo(), 6);
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<uint8_t> copy = jpeg;
    state.ResumeTiming();
    const EncodedPicture picture = EncodedPicture::FromBytes(std::move(copy));
    benchmark::DoNotOptimize(picture.GetWidth());
  }
}
BENCHMARK(BM_HeaderOnly)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
}  // namespace varn::imaging

BENCHMARK_MAIN();
