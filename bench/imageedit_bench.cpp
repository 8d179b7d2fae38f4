// The picture editor control as a member feels it, through the control's own
// messages, Draw and SaveAndSubmit:
//
// - PenStrokeRepaint: one pointer move of a 500-point pen stroke on a
//   470 x 352 photo with frame 7, a stamp and five balloon texts, and the
//   repaint of the whole control through Draw. Anchor: SurfaceCopy, a memcpy
//   of the same surface.
// - SubmitTenPhotos: SaveAndSubmit of ten 4000 x 3000 photos at the default
//   working width to the embedded site on loopback. Anchor:
//   LibjpegDecodeTenEncodeTen, libjpeg-turbo decoding the ten originals and
//   encoding ten pictures of the working size.
//   AddAndSubmitTenPhotos adds the ten photos through AddImage as well.
// - PeakMemoryTenPhotos (run it alone, --benchmark_filter=PeakMemory): ten
//   such photos added through AddImage, each edited and submitted; reports the
//   process's peak resident memory.
#include <benchmark/benchmark.h>
#include <jpeglib.h>
#include <sys/resource.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "bench/synthetic_photo.h"
#include "host/site/embedded_site.h"
#include "imageedit/image_edit_control.h"
#include "platform/com/com_ref.h"
#include "platform/system/utf_convert.h"
#include "platform/ui/window_messages.h"
#include "tests/support/host_dialogs.h"

namespace varn::imageedit {
namespace {

using varn::testing::HostSite;
using varn::testing::MakeRef;
using varn::testing::ScriptedDialogs;

constexpr int kPhotos = 10;
constexpr int kPhotoWidth = 4000;
constexpr int kPhotoHeight = 3000;
constexpr int kStrokePoints = 500;

// Written once per machine; later runs reuse them.
const std::vector<std::string>& PhotoPaths() {
  static const std::vector<std::string> paths = [] {
    std::vector<std::string> files;
    for (int i = 0; i < kPhotos; ++i) {
      files.push_back("/tmp/varn_imageedit_bench_photo_" + std::to_string(i) + ".jpg");
      bench::EnsureSyntheticPhoto(files.back(), kPhotoWidth, kPhotoHeight,
                                  static_cast<uint32_t>(i));
    }
    return files;
  }();
  return paths;
}

// The control on a page whose dialog service answers with the photos.
struct EditorPage {
  EditorPage()
      : dialogs(MakeRef<ScriptedDialogs>()),
        site(MakeRef<HostSite>(com::ComRef<IVarnHostUI>::Share(dialogs.Get()))),
        control(com::ComRef<CImageEditControl>::Adopt(com::MakeObject<CImageEditControl>())) {
    control->SetClientSite(site.Get());
  }
  ~EditorPage() { control->SetClientSite(nullptr); }

  bool Add(const std::string& path) {
    const int32_t before = control->ImageCount();
    dialogs->ChooseFile(system::Utf8ToUtf16(path));
    control->AddImage();
    return control->ImageCount() == before + 1;
  }
  void Send(UINT message, int32_t x, int32_t y) {
    LRESULT result = 0;
    control->OnWindowMessage(message, 0, MAKELPARAM(x, y), &result);
  }
  void Resize(int32_t width, int32_t height) {
    LRESULT result = 0;
    control->OnWindowMessage(WM_SIZE, 0, MAKELPARAM(width, height), &result);
  }

  com::ComRef<ScriptedDialogs> dialogs;
  com::ComRef<HostSite> site;
  com::ComRef<CImageEditControl> control;
};

// The decorated picture of the repaint: frame 7, a stamp, five balloons.
void Decorate(CImageEditControl& editor) {
  editor.put_frameIndex(7);
  editor.put_signIndex(1);
  editor.put_signAlign(2);
  com::Bstr stamp = com::Bstr::FromText(u"Varn 2026");
  editor.put_signStampText(stamp.Get());
  for (int32_t i = 0; i < 5; ++i) {
    editor.put_textCartoonIndex(0x10 * (i % 4) + i % 4);
    editor.put_toolType(0);
    LRESULT result = 0;
    // A press on empty space places the next text.
    const int32_t x = 30 + 60 * i;
    const int32_t y = 40 + 50 * i;
    editor.OnWindowMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(x, y), &result);
    editor.OnWindowMessage(WM_LBUTTONUP, 0, MAKELPARAM(x, y), &result);
    com::Bstr text = com::Bstr::FromText(u"こんにちは Balloon");
    editor.put_textCurrentText(text.Get());
    editor.ApplyCurrentText();
  }
}

void PenStrokeRepaint(benchmark::State& state) {
  EditorPage page;
  if (!page.Add(PhotoPaths()[0])) state.SkipWithError("the photo was not added");
  CImageEditControl& editor = *page.control.Get();
  Decorate(editor);
  int32_t width = 0;
  editor.get_imageWidth(&width);
  const int32_t side = 500;
  const int32_t height = 382;  // 352 and the frame's margins
  page.Resize(side, height);
  editor.put_toolType(kToolPen);
  std::vector<uint32_t> pixels(static_cast<size_t>(side) * height);
  VarnSurface surface{pixels.data(), side, height, side * 4};
  const RECTL bounds{0, 0, side, height};
  int point = 0;
  for (auto _ : state) {
    if (point % kStrokePoints == 0) {
      state.PauseTiming();
      if (point > 0) page.Send(WM_LBUTTONUP, 0, 0);
      page.Send(WM_LBUTTONDOWN, 20, 20);
      state.ResumeTiming();
    }
    // A zigzag across the picture, one pixel further each move.
    const int32_t i = point % kStrokePoints;
    page.Send(WM_MOUSEMOVE, 20 + (i * 7) % 440, 20 + (i * 3) % 320);
    editor.Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, &surface, &bounds, nullptr,
                nullptr, 0);
    ++point;
  }
  if (!editor.Dragging()) state.SkipWithError("the stroke ended early");
  page.Send(WM_LBUTTONUP, 0, 0);
}
BENCHMARK(PenStrokeRepaint)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void SurfaceCopy(benchmark::State& state) {
  const size_t count = size_t{500} * 382;
  std::vector<uint32_t> from(count, 0xFF336699u);
  std::vector<uint32_t> to(count);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), count * 4);
    benchmark::DoNotOptimize(to.data());
  }
}
BENCHMARK(SurfaceCopy)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Anchor: each original decoded at full size and a picture of the working
// size (470 x 352) encoded at quality 80, by libjpeg-turbo alone.
void LibjpegDecodeTenEncodeTen(benchmark::State& state) {
  const std::vector<std::string>& paths = PhotoPaths();
  std::vector<uint8_t> pixels;
  std::vector<uint8_t> small(size_t{470} * 352 * 3, 128);
  for (auto _ : state) {
    for (const std::string& path : paths) {
      const std::vector<uint8_t> bytes = ReadBytes(path);
      jpeg_decompress_struct in{};
      jpeg_error_mgr inErrors{};
      in.err = jpeg_std_error(&inErrors);
      jpeg_create_decompress(&in);
      jpeg_mem_src(&in, bytes.data(), bytes.size());
      jpeg_read_header(&in, TRUE);
      jpeg_start_decompress(&in);
      pixels.resize(static_cast<size_t>(in.output_width) * in.output_height * 3);
      while (in.output_scanline < in.output_height) {
        JSAMPROW rows[1] = {pixels.data() +
                            static_cast<size_t>(in.output_scanline) * in.output_width * 3};
        jpeg_read_scanlines(&in, rows, 1);
      }
      jpeg_finish_decompress(&in);
      jpeg_destroy_decompress(&in);

      jpeg_compress_struct out{};
      jpeg_error_mgr outErrors{};
      out.err = jpeg_std_error(&outErrors);
      jpeg_create_compress(&out);
      unsigned char* encoded = nullptr;
      unsigned long encodedSize = 0;
      jpeg_mem_dest(&out, &encoded, &encodedSize);
      out.image_width = 470;
      out.image_height = 352;
      out.input_components = 3;
      out.in_color_space = JCS_RGB;
      jpeg_set_defaults(&out);
      jpeg_set_quality(&out, 80, TRUE);
      jpeg_start_compress(&out, TRUE);
      while (out.next_scanline < out.image_height) {
        JSAMPROW rows[1] = {small.data() + static_cast<size_t>(out.next_scanline) * 470 * 3};
        jpeg_write_scanlines(&out, rows, 1);
      }
      jpeg_finish_compress(&out);
      jpeg_destroy_compress(&out);
      benchmark::DoNotOptimize(encodedSize);
      free(encoded);
    }
  }
}
BENCHMARK(LibjpegDecodeTenEncodeTen)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// The embedded site on a free loopback port, storing into a folder of its own.
struct LocalSite {
  LocalSite()
      : directory(std::filesystem::temp_directory_path() / "varn_imageedit_bench_site"),
        site([this] {
          host::SiteOptions options;
          options.directory = directory;
          options.cookie = "varnsession=bench";
          options.formKey = "benchkey";
          options.log = [](std::string_view) {};
          options.maxRequestBytes = uint64_t{512} << 20;
          return options;
        }()) {
    started = static_cast<bool>(site.Start());
  }
  ~LocalSite() {
    site.Stop();
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
  }
  void Prepare(CImageEditControl& editor) {
    com::Bstr url = com::Bstr::FromText(system::Utf8ToUtf16(site.PostUrl(host::PostForm::Picture)));
    com::Bstr key = com::Bstr::FromText(u"benchkey");
    com::Bstr cookie = com::Bstr::FromText(u"varnsession=bench");
    editor.put_ActionPage(url.Get());
    editor.put_FileKey(key.Get());
    editor.put_Cookie(cookie.Get());
  }

  std::filesystem::path directory;
  host::EmbeddedSite site;
  bool started = false;
};

// Reports whether the last upload completed, from the control's events.
void SubmitTenPhotos(benchmark::State& state) {
  LocalSite local;
  if (!local.started) state.SkipWithError("the site did not start");
  EditorPage page;
  for (const std::string& path : PhotoPaths()) {
    if (!page.Add(path)) state.SkipWithError("a photo was not added");
  }
  local.Prepare(*page.control.Get());
  const size_t before = local.site.Stored().size();
  for (auto _ : state) page.control->SaveAndSubmit();
  if (local.site.Stored().size() - before !=
      static_cast<size_t>(2 * kPhotos * state.iterations())) {
    state.SkipWithError("not every picture arrived");
  }
}
BENCHMARK(SubmitTenPhotos)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// The same with the adding: each photo read, decoded and scaled through
// AddImage, then all submitted; the whole of what the anchor does and more.
void AddAndSubmitTenPhotos(benchmark::State& state) {
  LocalSite local;
  if (!local.started) state.SkipWithError("the site did not start");
  for (auto _ : state) {
    EditorPage page;
    for (const std::string& path : PhotoPaths()) {
      if (!page.Add(path)) state.SkipWithError("a photo was not added");
    }
    local.Prepare(*page.control.Get());
    page.control->SaveAndSubmit();
  }
  if (local.site.Stored().size() != static_cast<size_t>(2 * kPhotos * state.iterations())) {
    state.SkipWithError("not every picture arrived");
  }
}
BENCHMARK(AddAndSubmitTenPhotos)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

long PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

// Ten photos added through the dialog, each edited (a pen stroke, a frame,
// a text) and all submitted; the peak RSS of the process afterwards.
void PeakMemoryTenPhotos(benchmark::State& state) {
  const std::vector<std::string>& paths = PhotoPaths();
  for (auto _ : state) {
    LocalSite local;
    EditorPage page;
    CImageEditControl& editor = *page.control.Get();
    page.Resize(500, 400);
    for (const std::string& path : paths) {
      if (!page.Add(path)) state.SkipWithError("a photo was not added");
      editor.put_toolType(kToolPen);
      page.Send(WM_LBUTTONDOWN, 10, 10);
      for (int32_t i = 0; i < 50; ++i) page.Send(WM_MOUSEMOVE, 10 + 8 * i, 10 + 5 * i);
      page.Send(WM_LBUTTONUP, 0, 0);
      editor.put_frameIndex(4);
      com::Bstr text = com::Bstr::FromText(u"a text");
      editor.put_textCurrentText(text.Get());
    }
    local.Prepare(editor);
    editor.SaveAndSubmit();
    if (local.site.Stored().size() != 2 * paths.size()) state.SkipWithError("missing uploads");
  }
  state.counters["peak_rss_mb"] = static_cast<double>(PeakMegabytes());
}
BENCHMARK(PeakMemoryTenPhotos)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace varn::imageedit

BENCHMARK_MAIN();
