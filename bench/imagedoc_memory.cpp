// Peak resident memory of the picture editor's engine with ten 4000 x 3000
// photos added, each rendered at the default working width, as a post with
// many pictures holds them. Prints the figure; it is no timing.
#include <sys/resource.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/synthetic_photo.h"
#include "common/imaging_startup.h"
#include "imagedoc/image_history.h"

namespace {

constexpr int kPhotos = 10;
constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

long PeakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

int main() {
  std::vector<std::string> paths;
  for (int i = 0; i < kPhotos; ++i) {
    paths.push_back("/tmp/varn_imagedoc_memory_photo_" + std::to_string(i) + ".jpg");
    if (!varn::bench::EnsureSyntheticPhoto(paths.back(), kWidth, kHeight,
                                           static_cast<uint32_t>(i))) {
      std::fprintf(stderr, "cannot write %s\n", paths.back().c_str());
      return 1;
    }
  }
  varn::ImagingScope imaging;
  const long startKilobytes = PeakKilobytes();
  std::vector<std::unique_ptr<varn::imagedoc::CImageHistory>> histories;
  size_t encodedBytes = 0;
  for (const std::string& path : paths) {
    auto history = varn::imagedoc::CImageHistory::FromFile(path);
    const varn::imaging::Bitmap* image = history ? history->Current().GetRenderedImage() : nullptr;
    if (!image || image->GetWidth() != 470) {
      std::fprintf(stderr, "%s did not render\n", path.c_str());
      return 1;
    }
    encodedBytes += history->Source().GetEncodedSize();
    histories.push_back(std::move(history));
  }
  std::printf("photos: %d of %dx%d, %.1f MB encoded in all\n", kPhotos, kWidth, kHeight,
              encodedBytes / 1048576.0);
  std::printf("peak RSS before loading: %.1f MB\n", startKilobytes / 1024.0);
  std::printf("peak RSS with all loaded and rendered: %.1f MB (target < 400 MB)\n",
              PeakKilobytes() / 1024.0);
  return 0;
}
