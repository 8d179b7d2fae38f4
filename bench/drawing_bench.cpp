// The drawing board as a member feels it: a repaint while a long stroke is
// under way on a board of ten layers (of the whole board, and of what one
// pointer move invalidated), a fill of a whole large layer, and the state
// copy every painting step makes; each speed goal is a ratio to the anchor
// beside it (memcpy, memset), measured in the same run.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "drawing/drawing_control.h"
#include "drawing/drawing_document.h"
#include "drawing/drawing_tools.h"
#include "drawing/layer_operations.h"
#include "platform/ui/headless_window.h"
#include "platform/ui/window_messages.h"

namespace varn::drawing {
namespace {

constexpr int32_t kLayers = 10;
constexpr int32_t kStrokePoints = 500;

HRESULT Put(IDispatch& control, DISPID dispid, int32_t number) {
  VARIANT value{};
  value.vt = VT_I4;
  value.lVal = number;
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{&value, &named, 1, 1};
  return control.Invoke(dispid, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                        nullptr);
}

HRESULT Call(IDispatch& control, DISPID dispid, std::vector<VARIANT> args = {}) {
  DISPPARAMS params{args.empty() ? nullptr : args.data(), nullptr, static_cast<UINT>(args.size()),
                    0};
  return control.Invoke(dispid, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
}

void Send(CDrawingControl& control, UINT message, int32_t x, int32_t y) {
  LRESULT result = 0;
  static_cast<IOleInPlaceObjectWindowless&>(control).OnWindowMessage(message, 0, MAKELPARAM(x, y),
                                                                     &result);
}

// Ten layers with a stroke on each, the middle one selected: the board of
// both repaint benchmarks, its headless window the canvas's size.
CDrawingControl* MakeTenLayerBoard(int32_t side, IDispatch** dispatch) {
  auto* control = com::MakeObject<CDrawingControl>();
  control->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch));
  const RECT client{0, 0, side, side};
  control->SetObjectRects(&client, &client);
  Put(**dispatch, kDispImageWidth, side);
  Put(**dispatch, kDispImageHeight, side);
  Put(**dispatch, kDispPenWidth, 3);
  for (int32_t i = 0; i < kLayers; ++i) {
    if (i > 0) Call(**dispatch, kDispAddLayer);
    const int32_t y = (i + 1) * side / (kLayers + 1);
    Send(*control, WM_LBUTTONDOWN, 5, y);
    Send(*control, WM_MOUSEMOVE, side - 5, y);
    Send(*control, WM_LBUTTONUP, side - 5, y);
  }
  VARIANT middle{};
  middle.vt = VT_I4;
  middle.lVal = kLayers / 2;
  Call(**dispatch, kDispSelectLayer, {middle});
  return control;
}

// The i-th point of the benchmarks' pen stroke.
int32_t StrokeX(int32_t i, int32_t side) { return 10 + i * (side - 20) / kStrokePoints; }
int32_t StrokeY(int32_t i, int32_t side) { return 10 + (i * 7) % (side - 20); }

// A pen stroke of kStrokePoints points held down on the ten-layer board;
// then one Draw of the whole board per iteration, as a host that repaints
// everything after each pointer move would ask for.
void RepaintDuringStroke(benchmark::State& benchState, int32_t side) {
  IDispatch* dispatch = nullptr;
  CDrawingControl* control = MakeTenLayerBoard(side, &dispatch);

  std::vector<uint32_t> pixels(static_cast<size_t>(side) * side);
  VarnSurface surface{pixels.data(), side, side, side * 4};
  const RECTL bounds{0, 0, side, side};
  auto paint = [&] {
    control->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, &surface, &bounds, nullptr,
                  nullptr, 0);
  };
  Send(*control, WM_LBUTTONDOWN, 10, 10);
  for (int32_t i = 1; i < kStrokePoints; ++i) {
    Send(*control, WM_MOUSEMOVE, StrokeX(i, side), StrokeY(i, side));
  }
  paint();  // the composites are built once, at the first repaint of the stroke
  for (auto _ : benchState) {
    paint();
    benchmark::DoNotOptimize(pixels.data());
  }
  Send(*control, WM_LBUTTONUP, 10, 10);
  dispatch->Release();
  control->Release();
}

void BM_RepaintDuringStroke300(benchmark::State& state) { RepaintDuringStroke(state, 300); }
void BM_RepaintDuringStroke1200(benchmark::State& state) { RepaintDuringStroke(state, 1200); }

// What one pointer move of the stroke costs as a windowless host that keeps
// its surface sees it: the move, then a Draw into a view of the surface that
// covers only the rectangle the move invalidated, then Validate. After
// kStrokePoints points the stroke is committed and a new one starts, outside
// the timing.
void MoveAndRepaint(benchmark::State& benchState, int32_t side) {
  IDispatch* dispatch = nullptr;
  CDrawingControl* control = MakeTenLayerBoard(side, &dispatch);
  ui::HeadlessWindow* window = control->Headless();
  std::vector<uint32_t> pixels(static_cast<size_t>(side) * side);
  auto paint = [&](const RECT& rect) {
    VarnSurface view{pixels.data() + static_cast<size_t>(rect.top) * side + rect.left,
                     rect.right - rect.left, rect.bottom - rect.top, side * 4};
    const RECTL bounds{-rect.left, -rect.top, side - rect.left, side - rect.top};
    control->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, &view, &bounds, nullptr, nullptr,
                  0);
    window->Validate();
  };
  paint(RECT{0, 0, side, side});
  Send(*control, WM_LBUTTONDOWN, 10, 10);
  int32_t i = 0;
  int64_t painted = 0;
  for (auto _ : benchState) {
    if (++i == kStrokePoints) {
      benchState.PauseTiming();
      Send(*control, WM_LBUTTONUP, StrokeX(i - 1, side), StrokeY(i - 1, side));
      paint(RECT{0, 0, side, side});
      Send(*control, WM_LBUTTONDOWN, 10, 10);
      i = 1;
      benchState.ResumeTiming();
    }
    Send(*control, WM_MOUSEMOVE, StrokeX(i, side), StrokeY(i, side));
    const RECT dirty = window->InvalidBounds();
    if (dirty.right > dirty.left && dirty.bottom > dirty.top) {
      painted += int64_t{dirty.right - dirty.left} * (dirty.bottom - dirty.top);
      paint(dirty);
    }
    benchmark::DoNotOptimize(pixels.data());
  }
  benchState.counters["pixels"] = benchmark::Counter(static_cast<double>(painted) /
                                                     static_cast<double>(benchState.iterations()));
  Send(*control, WM_LBUTTONUP, 10, 10);
  dispatch->Release();
  control->Release();
}

void BM_StrokeMoveAndRepaint300(benchmark::State& state) { MoveAndRepaint(state, 300); }
void BM_StrokeMoveAndRepaint1200(benchmark::State& state) { MoveAndRepaint(state, 1200); }

// The repaint's anchor: a memcpy of three canvas-sized 32-bit pictures (the
// composites below and above the selected layer, and that layer), the least
// a repaint that reads them all must move.
void CopyThreeComposites(benchmark::State& benchState, int32_t side) {
  const size_t pixels = static_cast<size_t>(side) * side;
  std::vector<uint32_t> sources(3 * pixels, 0x80402010u);
  std::vector<uint32_t> target(3 * pixels);
  for (auto _ : benchState) {
    for (size_t i = 0; i < 3; ++i) {
      std::memcpy(target.data() + i * pixels, sources.data() + i * pixels,
                  pixels * sizeof(uint32_t));
    }
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
}

void BM_MemcpyThreeComposites300(benchmark::State& state) { CopyThreeComposites(state, 300); }
void BM_MemcpyThreeComposites1200(benchmark::State& state) { CopyThreeComposites(state, 1200); }

// Each iteration fills the whole transparent-or-filled layer in the other
// colour, so every fill visits all 1200 x 1200 pixels.
void BM_FloodFillWholeLayer1200(benchmark::State& benchState) {
  CDrawingDocument document;
  SetCanvasWidth(*document.current, 1200);
  SetCanvasHeight(*document.current, 1200);
  CDrawingState& state = *document.current;
  const uint32_t colours[] = {0x336699, 0x996633};
  int turn = 0;
  for (auto _ : benchState) {
    state.colour = colours[turn];
    turn ^= 1;
    FloodFill(state, PointF{600.0f, 600.0f});
  }
}

// The fill's anchor: writing the same layer's bytes with memset.
void BM_MemsetLayer1200(benchmark::State& benchState) {
  std::vector<uint32_t> layer(size_t{1200} * 1200);
  int value = 0x33;
  for (auto _ : benchState) {
    std::memset(layer.data(), value, layer.size() * sizeof(uint32_t));
    value ^= 0x55;
    benchmark::DoNotOptimize(layer.data());
    benchmark::ClobberMemory();
  }
}

// The step every gesture makes: a new state sharing nine layers and copying
// the selected one, with the history trimmed to its limit.
void BM_DeriveStateDeepCopy(benchmark::State& benchState) {
  CDrawingDocument document;
  for (int32_t i = 1; i < kLayers; ++i) AddLayer(*document.current);
  SelectLayer(*document.current, kLayers / 2);
  for (auto _ : benchState) {
    CDrawingState& derived = DeriveState(*document.current, LayerCopy::Deep);
    benchmark::DoNotOptimize(&derived);
  }
}

// Layer bitmaps copy their pixels on first write, so the copy of a deep
// derivation is paid when the gesture paints into it; this measures both.
void BM_DeriveStateDeepCopyThenPaint(benchmark::State& benchState) {
  CDrawingDocument document;
  for (int32_t i = 1; i < kLayers; ++i) AddLayer(*document.current);
  SelectLayer(*document.current, kLayers / 2);
  for (auto _ : benchState) {
    CDrawingState& derived = DeriveState(*document.current, LayerCopy::Deep);
    derived.SelectedLayer().bitmap->SetPixel(0, 0, 0xFF000000u);
  }
}

BENCHMARK(BM_RepaintDuringStroke300)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RepaintDuringStroke1200)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StrokeMoveAndRepaint300)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StrokeMoveAndRepaint1200)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemcpyThreeComposites300)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemcpyThreeComposites1200)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FloodFillWholeLayer1200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemsetLayer1200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeriveStateDeepCopy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DeriveStateDeepCopyThenPaint)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace varn::drawing

BENCHMARK_MAIN();
