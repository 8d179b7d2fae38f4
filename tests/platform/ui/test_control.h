// A small control for the tests: it records the messages it gets, takes the
// capture on a left press, invalidates around mouse moves and paints a pattern
// that encodes each pixel's client coordinates.
#pragma once

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/com/com_object.h"
#include "platform/ui/control_base.h"
#include "platform/ui/window_messages.h"

namespace varn::ui::testing {

// {6B1E2D53-0C8A-4F2B-9E61-3D7A5C2B9F10}
inline constexpr IID IID_ITestProbe{
    0x6B1E2D53, 0x0C8A, 0x4F2B, {0x9E, 0x61, 0x3D, 0x7A, 0x5C, 0x2B, 0x9F, 0x10}};
// {0F6A3B21-77C4-4D1E-8B5A-2E9C1D4F6A83}
inline constexpr CLSID CLSID_TestControl{
    0x0F6A3B21, 0x77C4, 0x4D1E, {0x8B, 0x5A, 0x2E, 0x9C, 0x1D, 0x4F, 0x6A, 0x83}};

// NOLINTBEGIN(cppcoreguidelines-virtual-class-destructor)
struct ITestProbe : IUnknown {
  static constexpr const IID& kIid = IID_ITestProbe;
  using Base = IUnknown;
  virtual HRESULT Ping() = 0;
};
// NOLINTEND(cppcoreguidelines-virtual-class-destructor)

// No alpha on purpose: the layer has to make what reaches a target opaque.
constexpr uint32_t PatternAt(int32_t x, int32_t y) {
  return (static_cast<uint32_t>(x & 0xFF) << 8) | static_cast<uint32_t>(y & 0xFF) | 0x00550000u;
}

class TestControl final : public Control<ITestProbe> {
 public:
  TestControl() : Control(CLSID_TestControl) {}

  HRESULT Ping() override { return S_OK; }

  // Makes the protected dialog helpers reachable from tests.
  using ControlBase::ShowFileDialog;
  using ControlBase::ShowMessageBox;

  struct Seen {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    RECT client;  // the client rectangle while the handler ran
  };
  std::vector<Seen> messages;
  std::vector<DrawContext> draws;
  // Runs inside the left-press handler, after the capture was taken.
  std::function<void(TestControl&)> onPress;
  int pressesHandled = 0;

  std::vector<UINT> MessageNumbers() const {
    std::vector<UINT> numbers;
    for (const Seen& seen : messages) numbers.push_back(seen.message);
    return numbers;
  }

 protected:
  MessageReply ProcessWindowMessage(const WindowMessage& message) override {
    messages.push_back({message.message, message.wParam, message.lParam, Window().GetClientRect()});
    return RouteMessage(*this, kMessageMap, message);
  }

  void OnDraw(const DrawContext& context) override {
    draws.push_back(context);
    VarnSurface& surface = *context.surface;
    for (int32_t y = 0; y < surface.height; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(surface.pixels) +
                                              static_cast<std::ptrdiff_t>(y) * surface.stride);
      for (int32_t x = 0; x < surface.width; ++x) {
        row[x] = PatternAt(x + context.origin.x, y + context.origin.y);
      }
    }
  }

 private:
  MessageReply OnEraseBackground(const WindowMessage&) { return Handled(0); }
  MessageReply OnLButtonDown(const WindowMessage&) {
    Window().SetCapture();
    if (onPress) onPress(*this);
    // Like a real handler, it carries on after the page's code ran.
    ++pressesHandled;
    Window().Invalidate();
    return Handled(0);
  }
  MessageReply OnLButtonUp(const WindowMessage&) {
    Window().ReleaseCapture();
    return Handled(0);
  }
  MessageReply OnDoubleClick(const WindowMessage&) { return Handled(42); }
  MessageReply OnMouseMove(const WindowMessage& message) {
    const int32_t x = GET_X_LPARAM(message.lParam);
    const int32_t y = GET_Y_LPARAM(message.lParam);
    Window().InvalidateRect(RECT{x - 2, y - 2, x + 3, y + 3});
    Window().SetCursor(IDC_CROSS);
    return Handled(0);
  }
  // Sees the cancellation and leaves the rest to the standard handling.
  MessageReply OnCancelMode(const WindowMessage&) { return PassOn(); }
  MessageReply OnSize(const WindowMessage&) { return Handled(0); }

  static constexpr MessageEntry<TestControl> kMessageMap[] = {
      {WM_ERASEBKGND, &TestControl::OnEraseBackground},
      {WM_LBUTTONDOWN, &TestControl::OnLButtonDown},
      {WM_LBUTTONUP, &TestControl::OnLButtonUp},
      {WM_LBUTTONDBLCLK, &TestControl::OnDoubleClick},
      {WM_MOUSEMOVE, &TestControl::OnMouseMove},
      {WM_CANCELMODE, &TestControl::OnCancelMode},
      {WM_SIZE, &TestControl::OnSize},
  };
};

// Holds one reference to a new TestControl for the length of a test.
class ControlHolder {
 public:
  ControlHolder() : control_(com::MakeObject<TestControl>()) {}
  ~ControlHolder() {
    if (control_ != nullptr) control_->Release();
  }
  ControlHolder(const ControlHolder&) = delete;
  ControlHolder& operator=(const ControlHolder&) = delete;
  TestControl* operator->() const { return control_; }
  TestControl& operator*() const { return *control_; }

 private:
  TestControl* control_;
};

// A growable in-memory stream; `limit` caps how many bytes it accepts.
class MemoryStream final : public com::ComObject<IStream> {
 public:
  std::vector<uint8_t> bytes;
  std::size_t position = 0;
  std::size_t limit = SIZE_MAX;

  HRESULT Read(void* buffer, ULONG size, ULONG* read) override {
    const std::size_t available = position < bytes.size() ? bytes.size() - position : 0;
    const std::size_t count = std::min<std::size_t>(size, available);
    if (count > 0) std::memcpy(buffer, bytes.data() + position, count);
    position += count;
    if (read != nullptr) *read = static_cast<ULONG>(count);
    return count == size ? S_OK : S_FALSE;
  }
  HRESULT Write(const void* buffer, ULONG size, ULONG* written) override {
    const std::size_t room = position < limit ? limit - position : 0;
    const std::size_t count = std::min<std::size_t>(size, room);
    if (bytes.size() < position + count) bytes.resize(position + count);
    if (count > 0) std::memcpy(bytes.data() + position, buffer, count);
    position += count;
    if (written != nullptr) *written = static_cast<ULONG>(count);
    return count == size ? S_OK : STG_E_MEDIUMFULL;
  }
  HRESULT Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return E_NOTIMPL; }
  HRESULT SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
  HRESULT CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
    return E_NOTIMPL;
  }
  HRESULT Commit(DWORD) override { return S_OK; }
  HRESULT Revert() override { return E_NOTIMPL; }
  HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
  HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
  HRESULT Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
  HRESULT Clone(IStream**) override { return E_NOTIMPL; }
};

}  // namespace varn::ui::testing
