// The picture editor's effects on a 12-megapixel photograph-like picture,
// each against two anchors measured in the same run: one memcpy of the
// picture's pixels, and ImageMagick's convert doing the same filter on the
// same pixels (a PPM written once to the temporary folder; process start,
// decoding and filtering all count, the output goes to its null coder).
// convert is optional: without it (apt-get install imagemagick) its rows
// report an error and the others run.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "imagedoc/effects.h"
#include "platform/imaging/bitmap.h"
#include "platform/imaging/bitmap_data.h"

extern char** environ;

namespace varn::imagedoc {
namespace {

using imaging::Bitmap;
using imaging::BitmapData;
using imaging::ImageLockMode;
using imaging::PixelFormat;

constexpr int32_t kWidth = 4000;
constexpr int32_t kHeight = 3000;

// Gradients under noise, so that histograms and neighbourhoods look like a
// photograph's rather than a flat test card's.
const std::vector<uint32_t>& Photo() {
  static const std::vector<uint32_t> pixels = [] {
    std::vector<uint32_t> made(size_t(kWidth) * kHeight);
    std::mt19937 random(12345);
    for (int32_t y = 0; y < kHeight; ++y) {
      for (int32_t x = 0; x < kWidth; ++x) {
        const uint32_t noise = random();
        auto channel = [&](int32_t base, int32_t shift) {
          return uint32_t(std::clamp(base + int32_t((noise >> shift) & 63) - 32, 0, 255));
        };
        const uint32_t b = channel(20 + 200 * x / kWidth, 0);
        const uint32_t g = channel(40 + 160 * y / kHeight, 8);
        const uint32_t r = channel(230 - 180 * (x + y) / (kWidth + kHeight), 16);
        made[size_t(y) * kWidth + x] = 0xFF000000u | r << 16 | g << 8 | b;
      }
    }
    return made;
  }();
  return pixels;
}

void Restore(Bitmap& picture) {
  BitmapData data;
  picture.LockBits(imaging::Rect{0, 0, kWidth, kHeight}, ImageLockMode::Write,
                   PixelFormat::Format24bppRGB, &data);
  for (int32_t y = 0; y < kHeight; ++y) {
    std::memcpy(data.Row(y), Photo().data() + size_t(y) * kWidth, size_t(kWidth) * 4);
  }
  picture.UnlockBits(&data);
}

// Every iteration filters the same pixels; putting them back is not timed.
template <typename Effect>
void RunEffect(benchmark::State& state, Effect effect) {
  Bitmap picture(kWidth, kHeight, PixelFormat::Format24bppRGB);
  for (auto _ : state) {
    state.PauseTiming();
    Restore(picture);
    state.ResumeTiming();
    effect(picture);
    benchmark::ClobberMemory();
  }
}

void BM_Soften(benchmark::State& state) {
  RunEffect(state, [](Bitmap& b) { ApplyConvolution(b, SoftenMatrix()); });
}
void BM_Sharpen(benchmark::State& state) {
  RunEffect(state, [](Bitmap& b) { ApplyConvolution(b, SharpenMatrix()); });
}
void BM_Grayscale(benchmark::State& state) { RunEffect(state, ApplyGrayscale); }
void BM_AutoLevels(benchmark::State& state) { RunEffect(state, ApplyAutoLevels); }
void BM_AutoContrast(benchmark::State& state) { RunEffect(state, ApplyAutoContrast); }

// What every effect pays the imaging layer: locking the whole picture for
// writing and unlocking it, which makes a 24bpp picture opaque again.
void BM_LockUnlock(benchmark::State& state) {
  RunEffect(state, [](Bitmap& b) {
    BitmapData data;
    b.LockBits(imaging::Rect{0, 0, kWidth, kHeight}, ImageLockMode::ReadWrite,
               PixelFormat::Format24bppRGB, &data);
    b.UnlockBits(&data);
  });
}

// The anchor: one copy of the picture's pixels.
void BM_MemcpyPicture(benchmark::State& state) {
  std::vector<uint32_t> target(Photo().size());
  for (auto _ : state) {
    std::memcpy(target.data(), Photo().data(), Photo().size() * sizeof(uint32_t));
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
}

// ------------------------------------------------------------------ convert

bool HasImageMagick() {
  static const bool found = [] {
    FILE* pipe = popen("convert -version 2>/dev/null", "r");
    if (pipe == nullptr) return false;
    std::array<char, 256> line{};
    const bool named = std::fgets(line.data(), int(line.size()), pipe) != nullptr &&
                       std::strncmp(line.data(), "Version: ImageMagick", 20) == 0;
    while (std::fgets(line.data(), int(line.size()), pipe) != nullptr) {
    }
    return pclose(pipe) == 0 && named;
  }();
  return found;
}

// The picture as a binary PPM in the temporary folder, written at the first
// convert row and removed when the program ends; an empty path when it could
// not be written.
class PhotoFile {
 public:
  PhotoFile() {
    const char* tmp = std::getenv("TMPDIR");
    path_ = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/effects_bench_" +
            std::to_string(getpid()) + ".ppm";
    FILE* file = std::fopen(path_.c_str(), "wb");
    bool written = file != nullptr && std::fprintf(file, "P6\n%d %d\n255\n", kWidth, kHeight) > 0;
    std::vector<uint8_t> row(size_t(kWidth) * 3);
    for (int32_t y = 0; written && y < kHeight; ++y) {
      for (int32_t x = 0; x < kWidth; ++x) {
        const uint32_t pixel = Photo()[size_t(y) * kWidth + x];
        row[3 * x] = uint8_t(pixel >> 16);
        row[3 * x + 1] = uint8_t(pixel >> 8);
        row[3 * x + 2] = uint8_t(pixel);
      }
      written = std::fwrite(row.data(), 1, row.size(), file) == row.size();
    }
    if (file != nullptr) written = std::fclose(file) == 0 && written;
    if (!written) {
      std::remove(path_.c_str());
      path_.clear();
    }
  }
  ~PhotoFile() {
    if (!path_.empty()) std::remove(path_.c_str());
  }
  PhotoFile(const PhotoFile&) = delete;
  PhotoFile& operator=(const PhotoFile&) = delete;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

const std::string& PhotoPath() {
  static const PhotoFile file;
  return file.Path();
}

bool RunConvert(const std::vector<std::string>& filter) {
  std::vector<std::string> args{"convert", PhotoPath()};
  args.insert(args.end(), filter.begin(), filter.end());
  args.push_back("null:");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  if (posix_spawnp(&child, "convert", nullptr, nullptr, argv.data(), environ) != 0) return false;
  int status = 0;
  return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void RunConvertRow(benchmark::State& state, const std::vector<std::string>& filter) {
  if (!HasImageMagick() || PhotoPath().empty()) {
    state.SkipWithError("ImageMagick's convert is not installed");
    return;
  }
  for (auto _ : state) {
    if (!RunConvert(filter)) {
      state.SkipWithError("convert failed");
      break;
    }
  }
}

void BM_ConvertSoften(benchmark::State& state) {
  RunConvertRow(state, {"-convolve", "1,2,1,2,2,2,1,2,1"});
}
void BM_ConvertSharpen(benchmark::State& state) {
  RunConvertRow(state, {"-convolve", "0,-1,0,-1,8,-1,0,-1,0"});
}
void BM_ConvertGrayscale(benchmark::State& state) { RunConvertRow(state, {"-colorspace", "Gray"}); }
void BM_ConvertAutoLevels(benchmark::State& state) {
  RunConvertRow(state, {"-channel", "RGB", "-auto-level"});
}
void BM_ConvertAutoContrast(benchmark::State& state) { RunConvertRow(state, {"-auto-level"}); }
// convert reading the picture and doing nothing: its share of every row.
void BM_ConvertNothing(benchmark::State& state) { RunConvertRow(state, {}); }

BENCHMARK(BM_MemcpyPicture)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LockUnlock)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Soften)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Sharpen)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Grayscale)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AutoLevels)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AutoContrast)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConvertNothing)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConvertSoften)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConvertSharpen)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConvertGrayscale)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConvertAutoLevels)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConvertAutoContrast)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace varn::imagedoc

BENCHMARK_MAIN();
