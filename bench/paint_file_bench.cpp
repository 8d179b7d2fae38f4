// The paint file as a member feels it: saving and opening a board of ten
// 1200 x 1200 layers, beside what the system takes to move the same bytes:
// a copy of the saved file flushed to disk (the save's floor), and a copy
// and a read of it into fresh memory through the page cache (the load's).
// Whether a load's new layers find memory the allocator already holds or
// must fault fresh pages in changes its time several fold; the read-back
// allocates as the loader does, so compare the two in one run. To fix the
// allocator's choice: GLIBC_TUNABLES=glibc.malloc.mmap_threshold=131072
// (fresh pages every time), or =33554432:glibc.malloc.trim_threshold=1073741824
// (memory kept and reused).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "drawing/drawing_document.h"
#include "drawing/drawing_layer.h"
#include "drawing/paint_file.h"
#include "platform/imaging/bitmap.h"

namespace varn::drawing {
namespace {

constexpr int32_t kLayers = 10;
constexpr int32_t kSide = 1200;

// A folder for the files, removed at exit.
const std::string& Folder() {
  static const std::string folder = [] {
    const char* tmp = getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/varn-paint-bench-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    return pattern;
  }();
  return folder;
}

// Pixels that do not compress or repeat, as a painted board would not.
void FillNoise(imaging::Bitmap& bitmap, uint32_t seed) {
  imaging::BitmapData data;
  const auto width = static_cast<int32_t>(bitmap.GetWidth());
  const auto height = static_cast<int32_t>(bitmap.GetHeight());
  bitmap.LockBits(imaging::Rect{0, 0, width, height}, imaging::ImageLockMode::Write,
                  imaging::PixelFormat::Format32bppARGB, &data);
  uint32_t v = seed;
  for (int32_t y = 0; y < height; ++y) {
    uint32_t* row = data.Row(y);
    for (int32_t x = 0; x < width; ++x) {
      v ^= v << 13;
      v ^= v >> 17;
      v ^= v << 5;
      row[x] = v;
    }
  }
  bitmap.UnlockBits(&data);
}

std::unique_ptr<CDrawingDocument> MakeBoard() {
  auto document = std::make_unique<CDrawingDocument>();
  CDrawingState& state = *document->current;
  state.canvasWidth = kSide;
  state.canvasHeight = kSide;
  state.layers.clear();
  for (int32_t i = 0; i < kLayers; ++i) {
    state.layers.push_back(MakeLayer(kSide, kSide));
    FillNoise(*state.layers.back().bitmap, 2463534242u + static_cast<uint32_t>(i));
  }
  state.selectedLayer = kLayers / 2;
  return document;
}

// The board saved once, for the loads and the anchors.
const std::string& SavedBoard() {
  static const std::string path = [] {
    std::string saved = Folder() + "/board.tbp";
    if (SavePaintFile(*MakeBoard(), saved) != PaintFileSave::Saved) std::abort();
    return saved;
  }();
  return path;
}

off_t SizeOf(int fd) {
  struct stat st {};
  fstat(fd, &st);
  return st.st_size;
}

// In-kernel copy, as cp makes it.
void CopyFile(const std::string& from, const std::string& to, bool flush) {
  const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (in < 0 || out < 0) std::abort();
  for (off_t left = SizeOf(in); left > 0;) {
    const ssize_t count =
        copy_file_range(in, nullptr, out, nullptr, static_cast<std::size_t>(left), 0);
    if (count <= 0) std::abort();
    left -= count;
  }
  if (flush && fsync(out) != 0) std::abort();
  close(in);
  close(out);
}

void BM_SaveTenLayers(benchmark::State& benchState) {
  const std::unique_ptr<CDrawingDocument> board = MakeBoard();
  const std::string path = Folder() + "/save.tbp";
  for (auto _ : benchState) {
    if (SavePaintFile(*board, path) != PaintFileSave::Saved) benchState.SkipWithError("save");
  }
  benchState.SetBytesProcessed(benchState.iterations() * int64_t{kLayers} * kSide * kSide * 4);
}
BENCHMARK(BM_SaveTenLayers)->Unit(benchmark::kMillisecond)->UseRealTime();

// The save's floor: the saved file copied and flushed, as cp then sync.
void BM_AnchorCopyAndSync(benchmark::State& benchState) {
  const std::string& from = SavedBoard();
  const std::string to = Folder() + "/copy-synced.tbp";
  for (auto _ : benchState) CopyFile(from, to, true);
}
BENCHMARK(BM_AnchorCopyAndSync)->Unit(benchmark::kMillisecond)->UseRealTime();

// A fresh document per load, made and dropped outside the timing: the loaded
// states of earlier rounds would otherwise pile up in the history.
void BM_LoadTenLayers(benchmark::State& benchState) {
  const std::string& path = SavedBoard();
  for (auto _ : benchState) {
    benchState.PauseTiming();
    auto document = std::make_unique<CDrawingDocument>();
    benchState.ResumeTiming();
    if (!LoadPaintFile(*document, path)) benchState.SkipWithError("load");
    benchState.PauseTiming();
    document.reset();
    benchState.ResumeTiming();
  }
  benchState.SetBytesProcessed(benchState.iterations() * int64_t{kLayers} * kSide * kSide * 4);
}
BENCHMARK(BM_LoadTenLayers)->Unit(benchmark::kMillisecond)->UseRealTime();

// The load's floors: the file copied as cp copies it, and the file read into
// fresh memory through the page cache as the loader reads it.
void BM_AnchorCopy(benchmark::State& benchState) {
  const std::string& from = SavedBoard();
  const std::string to = Folder() + "/copy.tbp";
  for (auto _ : benchState) CopyFile(from, to, false);
}
BENCHMARK(BM_AnchorCopy)->Unit(benchmark::kMillisecond)->UseRealTime();

void ReadFully(int fd, std::byte* into, std::size_t size) {
  for (std::size_t done = 0; done < size;) {
    const ssize_t count = read(fd, into + done, size - done);
    if (count <= 0) std::abort();
    done += static_cast<std::size_t>(count);
  }
}

// Into one fresh block of a layer's size per layer, allocated as the
// layers' pixels are: the allocator hands both the same kind of memory.
void BM_AnchorReadBack(benchmark::State& benchState) {
  const std::string& path = SavedBoard();
  constexpr std::size_t kLayerBytes = std::size_t{kSide} * kSide * 4;
  std::vector<std::unique_ptr<std::byte[]>> layers;
  for (auto _ : benchState) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) std::abort();
    const auto size = static_cast<std::size_t>(SizeOf(fd));
    for (int32_t i = 0; i < kLayers; ++i) {
      layers.push_back(std::make_unique_for_overwrite<std::byte[]>(kLayerBytes));
      ReadFully(fd, layers.back().get(), kLayerBytes);
    }
    const std::size_t rest = size - kLayers * kLayerBytes;
    auto tail = std::make_unique_for_overwrite<std::byte[]>(rest);
    ReadFully(fd, tail.get(), rest);
    close(fd);
    benchmark::DoNotOptimize(layers.data());
    benchState.PauseTiming();
    layers.clear();
    benchState.ResumeTiming();
  }
}
BENCHMARK(BM_AnchorReadBack)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace varn::drawing

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  const std::string& folder = varn::drawing::Folder();
  for (const char* name : {"board.tbp", "save.tbp", "copy-synced.tbp", "copy.tbp"}) {
    unlink((folder + "/" + name).c_str());
  }
  rmdir(folder.c_str());
  return 0;
}
