#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/com/dispatch.h"
#include "platform/com/object_safety_impl.h"
#include "platform/ui/clipped_draw.h"
#include "platform/ui/headless_window.h"
#include "platform/ui/rect_ops.h"
#include "tests/platform/ui/test_control.h"

namespace varn::ui::testing {
namespace {

HRESULT Send(TestControl& control, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  return static_cast<IOleInPlaceObjectWindowless&>(control).OnWindowMessage(message, wParam, lParam,
                                                                            result);
}

TEST(HeadlessControl, HandledMessagesAnswerOkWithTheHandlersResult) {
  ControlHolder control;
  LRESULT result = -1;
  EXPECT_EQ(Send(*control, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(3, 4), &result), S_OK);
  EXPECT_EQ(result, 42);
  result = -1;
  EXPECT_EQ(Send(*control, WM_RBUTTONDOWN, MK_RBUTTON, 0, &result), S_FALSE);
  EXPECT_EQ(result, 0);
  // A handler that passes the message on leaves it unhandled.
  EXPECT_EQ(Send(*control, WM_CANCELMODE, 0, 0, &result), S_FALSE);
  EXPECT_EQ(control->MessageNumbers(),
            (std::vector<UINT>{WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_CANCELMODE}));
}

TEST(HeadlessControl, ClientAreaIsEmptyUntilWmSizeAndHandlersSeeTheNewSize) {
  ControlHolder control;
  EXPECT_EQ(control->Window().GetClientRect(), (RECT{0, 0, 0, 0}));
  LRESULT result = 0;
  ASSERT_EQ(Send(*control, WM_SIZE, SIZE_RESTORED, MAKELPARAM(120, 80), &result), S_OK);
  EXPECT_EQ(control->Window().GetClientRect(), (RECT{0, 0, 120, 80}));
  ASSERT_EQ(control->messages.size(), 1u);
  EXPECT_EQ(control->messages[0].client, (RECT{0, 0, 120, 80}));
  EXPECT_EQ(control->Window().ClientToScreen(POINT{7, 9}).x, 7);
}

TEST(HeadlessControl, SetObjectRectsSendsWmSizeOnlyWhenTheSizeChanges) {
  ControlHolder control;
  const RECT first{10, 20, 110, 70};
  ASSERT_EQ(control->SetObjectRects(&first, &first), S_OK);
  const RECT moved{30, 40, 130, 90};
  ASSERT_EQ(control->SetObjectRects(&moved, &moved), S_OK);
  const RECT grown{30, 40, 230, 90};
  ASSERT_EQ(control->SetObjectRects(&grown, &grown), S_OK);
  ASSERT_EQ(control->MessageNumbers(), (std::vector<UINT>{WM_SIZE, WM_SIZE}));
  EXPECT_EQ(control->messages[0].lParam, MAKELPARAM(100, 50));
  EXPECT_EQ(control->messages[1].lParam, MAKELPARAM(200, 50));
  EXPECT_EQ(control->Window().GetClientRect(), (RECT{0, 0, 200, 50}));
  // An inverted rectangle is an empty window, not a huge one.
  const RECT inverted{50, 50, 10, 10};
  ASSERT_EQ(control->SetObjectRects(&inverted, nullptr), S_OK);
  EXPECT_EQ(control->Window().GetClientRect(), (RECT{0, 0, 0, 0}));
  EXPECT_EQ(control->SetObjectRects(nullptr, nullptr), E_POINTER);
}

TEST(HeadlessControl, CaptureIsKeptAndCancelModeReleasesIt) {
  ControlHolder control;
  LRESULT result = 0;
  Send(*control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5), &result);
  EXPECT_TRUE(control->Window().HasCapture());
  Send(*control, WM_LBUTTONUP, 0, MAKELPARAM(5, 5), &result);
  EXPECT_FALSE(control->Window().HasCapture());

  Send(*control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5), &result);
  ASSERT_TRUE(control->Window().HasCapture());
  // The control only watches the cancellation; the standard handling drops the capture.
  EXPECT_EQ(Send(*control, WM_CANCELMODE, 0, 0, &result), S_FALSE);
  EXPECT_FALSE(control->Window().HasCapture());
}

TEST(HeadlessControl, HostMayReleaseTheControlFromInsideAHandler) {
  TestControl* control = com::MakeObject<TestControl>();
  // A page's event handler dropping the last reference while the message runs.
  control->onPress = [](TestControl& self) { self.Release(); };
  LRESULT result = -1;
  EXPECT_EQ(Send(*control, WM_LBUTTONDOWN, MK_LBUTTON, 0, &result), S_OK);
  EXPECT_EQ(result, 0);
}

TEST(HeadlessControl, InvalidationIsClippedToTheClientAreaAndKeptUntilValidated) {
  ControlHolder control;
  HeadlessWindow* window = control->Headless();
  ASSERT_NE(window, nullptr);
  LRESULT result = 0;
  // Before any WM_SIZE nothing can be invalid, but the request still counts.
  Send(*control, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10), &result);
  EXPECT_FALSE(window->IsInvalid());
  EXPECT_EQ(window->InvalidationCount(), 1u);

  Send(*control, WM_SIZE, SIZE_RESTORED, MAKELPARAM(50, 40), &result);
  // A window of a new size waits to be painted as a whole.
  EXPECT_EQ(window->InvalidBounds(), (RECT{0, 0, 50, 40}));
  window->Validate();
  Send(*control, WM_MOUSEMOVE, 0, MAKELPARAM(1, 1), &result);
  EXPECT_TRUE(window->IsInvalid());
  EXPECT_EQ(window->InvalidBounds(), (RECT{0, 0, 4, 4}));
  Send(*control, WM_MOUSEMOVE, 0, MAKELPARAM(20, 30), &result);
  EXPECT_EQ(window->InvalidBounds(), (RECT{0, 0, 23, 33}));
  EXPECT_EQ(window->Cursor(), IDC_CROSS);

  window->Validate();
  EXPECT_FALSE(window->IsInvalid());
  control->Window().Invalidate();
  EXPECT_EQ(window->InvalidBounds(), (RECT{0, 0, 50, 40}));
  // Nothing outside the client area is ever waiting.
  Send(*control, WM_SIZE, SIZE_RESTORED, MAKELPARAM(10, 10), &result);
  EXPECT_EQ(window->InvalidBounds(), (RECT{0, 0, 10, 10}));
  window->Validate();
  Send(*control, WM_SIZE, SIZE_RESTORED, MAKELPARAM(10, 10), &result);
  EXPECT_FALSE(window->IsInvalid());
}

TEST(HeadlessControl, AnswersTheControlInterfacesWithOneIdentity) {
  ControlHolder control;
  IUnknown* identity = nullptr;
  ASSERT_EQ(control->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
  const IID answered[] = {IID_IOleObject,
                          IID_IOleWindow,
                          IID_IOleInPlaceObject,
                          IID_IOleInPlaceObjectWindowless,
                          IID_IOleInPlaceActiveObject,
                          IID_IOleControl,
                          IID_IViewObject,
                          IID_IViewObject2,
                          IID_IViewObjectEx,
                          IID_IPersist,
                          IID_IPersistStreamInit,
                          IID_ITestProbe};
  for (const IID& iid : answered) {
    IUnknown* itf = nullptr;
    ASSERT_EQ(control->QueryInterface(iid, reinterpret_cast<void**>(&itf)), S_OK);
    IUnknown* back = nullptr;
    ASSERT_EQ(itf->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&back)), S_OK);
    EXPECT_EQ(back, identity);
    back->Release();
    itf->Release();
  }
  void* none = reinterpret_cast<void*>(1);
  EXPECT_EQ(control->QueryInterface(IID_IDispatch, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  identity->Release();

  HWND hwnd = reinterpret_cast<HWND>(1);
  EXPECT_EQ(control->GetWindow(&hwnd), E_FAIL);
  EXPECT_EQ(hwnd, nullptr);
  DWORD misc = 0;
  EXPECT_EQ(control->GetMiscStatus(DVASPECT_CONTENT, &misc), S_OK);
  EXPECT_EQ(misc, 131473u);
}

// A control that joins the automation core's IObjectSafety to the base.
class SafeControl final : public Control<ITestProbe, com::ObjectSafety> {
 public:
  SafeControl() : Control(CLSID_TestControl) {}
  HRESULT Ping() override { return S_OK; }

 protected:
  void OnDraw(const DrawContext&) override {}
};

TEST(ControlComposition, InterfacesOfTheBaseCountAsTheControlsOwn) {
  SafeControl* control = com::MakeObject<SafeControl>();
  IObjectSafety* safety = nullptr;
  ASSERT_EQ(control->QueryInterface(IID_IObjectSafety, reinterpret_cast<void**>(&safety)), S_OK);
  DWORD supported = 9;
  DWORD enabled = 9;
  EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IPersistStreamInit, &supported, &enabled), S_OK);
  EXPECT_EQ(supported, INTERFACESAFE_FOR_UNTRUSTED_DATA);
  EXPECT_EQ(enabled, 0u);
  EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IOleObject, &supported, &enabled), E_FAIL);
  EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IPersistStorage, &supported, &enabled),
            E_NOINTERFACE);
  EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IPersistStreamInit, 2, 2), S_OK);
  safety->Release();
  control->Release();
}

class HeadlessDraw : public ::testing::Test {
 protected:
  static constexpr uint32_t kSentinel = 0x12345678;
  static constexpr int32_t kWidth = 20;
  static constexpr int32_t kHeight = 10;

  HRESULT Draw(const RECTL& bounds, DWORD aspect = DVASPECT_CONTENT, LONG index = -1) {
    return control->Draw(aspect, index, nullptr, nullptr, nullptr, &surface, &bounds, nullptr,
                         nullptr, 0);
  }
  uint32_t At(int32_t x, int32_t y) const {
    return pixels[static_cast<std::size_t>(y) * kStride + x];
  }

  // Rows are wider than the surface: nothing may land in the gap either.
  static constexpr int32_t kStride = kWidth + 3;
  std::vector<uint32_t> pixels = std::vector<uint32_t>(kStride * kHeight, kSentinel);
  VarnSurface surface{pixels.data(), kWidth, kHeight, kStride * 4};
  ControlHolder control;
};

TEST_F(HeadlessDraw, PaintsOpaqueInsideTheBoundsAndNothingElse) {
  ASSERT_EQ(Draw(RECTL{3, 2, 8, 6}), S_OK);
  for (int32_t y = 0; y < kHeight; ++y) {
    for (int32_t x = 0; x < kStride; ++x) {
      const bool inside = x >= 3 && x < 8 && y >= 2 && y < 6;
      const uint32_t expected = inside ? (PatternAt(x, y) | 0xFF000000u) : kSentinel;
      ASSERT_EQ(At(x, y), expected) << "at " << x << "," << y;
    }
  }
  ASSERT_EQ(control->draws.size(), 1u);
  EXPECT_EQ(control->draws[0].bounds, (RECT{3, 2, 8, 6}));
}

TEST_F(HeadlessDraw, BoundsReachingPastTheSurfaceAreClipped) {
  ASSERT_EQ(Draw(RECTL{-5, -5, 100, 4}), S_OK);
  for (int32_t y = 0; y < kHeight; ++y) {
    for (int32_t x = 0; x < kStride; ++x) {
      const bool inside = x < kWidth && y < 4;
      const uint32_t expected = inside ? (PatternAt(x, y) | 0xFF000000u) : kSentinel;
      ASSERT_EQ(At(x, y), expected) << "at " << x << "," << y;
    }
  }
  // The control was told its whole bounds, though only a part reached the target.
  EXPECT_EQ(control->draws[0].bounds, (RECT{-5, -5, 100, 4}));
  // Bounds entirely off the surface paint nothing.
  ASSERT_EQ(Draw(RECTL{30, 0, 40, 5}), S_OK);
  EXPECT_EQ(control->draws.size(), 1u);
}

TEST_F(HeadlessDraw, RefusesOtherAspectsAndUnusableSurfaces) {
  EXPECT_EQ(Draw(RECTL{0, 0, 5, 5}, DVASPECT_ICON), DV_E_DVASPECT);
  EXPECT_EQ(Draw(RECTL{0, 0, 5, 5}, DVASPECT_CONTENT, 0), DV_E_LINDEX);
  surface.stride = kWidth * 4 - 4;
  EXPECT_EQ(Draw(RECTL{0, 0, 5, 5}), E_INVALIDARG);
  surface.stride = kStride * 4;
  surface.pixels = nullptr;
  EXPECT_EQ(Draw(RECTL{0, 0, 5, 5}), E_INVALIDARG);
  EXPECT_EQ(control->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, &surface, nullptr,
                          nullptr, nullptr, 0),
            E_INVALIDARG);
  EXPECT_TRUE(control->draws.empty());
  EXPECT_EQ(At(0, 0), kSentinel);
}

// A host that repaints only what was invalidated hands over a view of its
// surface covering that rectangle, with the bounds moved by the view's
// corner: the control paints the view at the view's client coordinates, and
// nothing of the surface outside the view changes.
TEST_F(HeadlessDraw, AViewOfOneRectangleIsPaintedInsideItOnly) {
  const RECTL bounds{1, 1, 19, 9};
  const RECT views[] = {{0, 0, kWidth, kHeight},
                        {4, 3, 9, 7},
                        {0, 0, 2, 2},
                        {15, 5, kWidth, kHeight},
                        {7, 0, 8, kHeight}};
  for (const RECT& view : views) {
    std::fill(pixels.begin(), pixels.end(), kSentinel);
    VarnSurface part{pixels.data() + view.top * kStride + view.left, view.right - view.left,
                     view.bottom - view.top, kStride * 4};
    const RECTL moved{bounds.left - view.left, bounds.top - view.top, bounds.right - view.left,
                      bounds.bottom - view.top};
    ASSERT_EQ(control->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, &part, &moved, nullptr,
                            nullptr, 0),
              S_OK);
    for (int32_t y = 0; y < kHeight; ++y) {
      for (int32_t x = 0; x < kStride; ++x) {
        const bool painted = x >= view.left && x < view.right && y >= view.top && y < view.bottom &&
                             x >= bounds.left && x < bounds.right && y >= bounds.top &&
                             y < bounds.bottom;
        const uint32_t expected =
            painted ? (PatternAt(x - view.left, y - view.top) | 0xFF000000u) : kSentinel;
        ASSERT_EQ(At(x, y), expected)
            << "view " << view.left << "," << view.top << " at " << x << "," << y;
      }
    }
  }
}

// Whether the painter or the layer makes the pixels opaque.
TEST(ClippedDraw, PixelsEndOpaqueUnlessThePainterPaintsThemSo) {
  struct Case {
    bool paintsOpaque;
    uint32_t expected;
  };
  const Case cases[] = {{false, 0xFF123456u}, {true, 0x00123456u}};
  for (const Case& c : cases) {
    std::vector<uint32_t> rows(6 * 4, 0x0000AAAAu);
    VarnSurface surface{rows.data(), 5, 4, 6 * 4};
    const HRESULT hr = DrawClipped(
        surface, RECT{1, 1, 9, 3},
        [](const DrawContext& context) {
          for (int32_t y = 0; y < context.surface->height; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(
                reinterpret_cast<uint8_t*>(context.surface->pixels) + y * context.surface->stride);
            std::fill_n(row, context.surface->width, 0x00123456u);
          }
        },
        c.paintsOpaque);
    ASSERT_EQ(hr, S_OK);
    for (int32_t y = 0; y < 4; ++y) {
      for (int32_t x = 0; x < 6; ++x) {
        const bool inside = x >= 1 && x < 5 && y >= 1 && y < 3;
        EXPECT_EQ(rows[static_cast<size_t>(y) * 6 + x], inside ? c.expected : 0x0000AAAAu)
            << c.paintsOpaque << " at " << x << "," << y;
      }
    }
  }
}

class ExtentPersistence : public ::testing::Test {
 protected:
  ExtentPersistence() : stream(com::MakeObject<MemoryStream>()) {}
  ~ExtentPersistence() override { stream->Release(); }

  IPersistStreamInit& Persist() { return *control; }

  ControlHolder control;
  MemoryStream* stream;
};

TEST_F(ExtentPersistence, NewControlHasTheDefaultExtentAndSavesItAsTwoUint32) {
  SIZEL extent{0, 0};
  ASSERT_EQ(control->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
  EXPECT_EQ(extent.cx, 5080);
  EXPECT_EQ(extent.cy, 5080);
  ULARGE_INTEGER size{};
  ASSERT_EQ(Persist().GetSizeMax(&size), S_OK);
  EXPECT_EQ(size.QuadPart, 8u);
  ASSERT_EQ(Persist().Save(stream, BOOL{1}), S_OK);
  EXPECT_EQ(stream->bytes, (std::vector<uint8_t>{0xD8, 0x13, 0, 0, 0xD8, 0x13, 0, 0}));
}

TEST_F(ExtentPersistence, SavedExtentLoadsIntoAnotherControl) {
  SIZEL extent{7000, 1234};
  ASSERT_EQ(control->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
  EXPECT_EQ(Persist().IsDirty(), S_OK);
  ASSERT_EQ(Persist().Save(stream, BOOL{1}), S_OK);
  EXPECT_EQ(Persist().IsDirty(), S_FALSE);

  ControlHolder other;
  stream->position = 0;
  ASSERT_EQ(static_cast<IPersistStreamInit&>(*other).Load(stream), S_OK);
  SIZEL loaded{0, 0};
  ASSERT_EQ(other->GetExtent(DVASPECT_CONTENT, 0, nullptr, &loaded), S_OK);
  EXPECT_EQ(loaded.cx, 7000);
  EXPECT_EQ(loaded.cy, 1234);

  ASSERT_EQ(static_cast<IPersistStreamInit&>(*other).InitNew(), S_OK);
  ASSERT_EQ(other->GetExtent(DVASPECT_CONTENT, &loaded), S_OK);
  EXPECT_EQ(loaded.cx, 5080);
}

TEST_F(ExtentPersistence, ShortOrImpossibleStreamsAreRefusedAndChangeNothing) {
  stream->bytes = {0x10, 0x27, 0, 0, 0x10};
  EXPECT_TRUE(FAILED(Persist().Load(stream)));
  stream->bytes = {0x10, 0x27, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
  stream->position = 0;
  EXPECT_TRUE(FAILED(Persist().Load(stream)));
  SIZEL extent{0, 0};
  control->GetExtent(DVASPECT_CONTENT, &extent);
  EXPECT_EQ(extent.cx, 5080);
  EXPECT_EQ(extent.cy, 5080);

  // A medium that takes only part of the extent is a failed save.
  MemoryStream* full = com::MakeObject<MemoryStream>();
  full->limit = 6;
  EXPECT_TRUE(FAILED(Persist().Save(full, BOOL{1})));
  full->Release();

  SIZEL negative{-1, 10};
  EXPECT_EQ(control->SetExtent(DVASPECT_CONTENT, &negative), E_INVALIDARG);
  EXPECT_EQ(Persist().Load(nullptr), E_POINTER);
}

}  // namespace
}  // namespace varn::ui::testing
