// The editor's window: the mouse tools, the back buffer, and the paint that
// shows the current picture 1:1 from the top-left corner.
#include <algorithm>

#include "imageedit/image_edit_control.h"
#include "platform/imaging/graphics.h"
#include "platform/ui/device_context.h"
#include "platform/ui/window_messages.h"

namespace varn::imageedit {
namespace {

using ui::Handled;
using ui::MessageEntry;
using ui::MessageReply;
using ui::WindowMessage;

constexpr imaging::ARGB kOpaqueWhite = 0xFFFFFFFFu;
constexpr uint32_t kOpaque = 0xFF000000u;

RECT Intersect(const RECT& a, const RECT& b) {
  RECT both{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
  if (both.right < both.left) both.right = both.left;
  if (both.bottom < both.top) both.bottom = both.top;
  return both;
}

RECT BitmapRect(const imaging::Bitmap& bitmap) {
  return RECT{0, 0, static_cast<LONG>(bitmap.GetWidth()), static_cast<LONG>(bitmap.GetHeight())};
}

// Client pixel (x, y) of area takes the bitmap's pixel (x, y): no scaling, no
// blending, opaque. Only the part inside the bitmap and the surface is written.
void CopyToSurface(const imaging::Bitmap& bitmap, RECT area, const ui::DrawContext& context) {
  const VarnSurface& surface = *context.surface;
  const RECT onSurface{context.origin.x, context.origin.y, context.origin.x + surface.width,
                       context.origin.y + surface.height};
  area = Intersect(Intersect(area, BitmapRect(bitmap)), onSurface);
  const int32_t width = area.right - area.left;
  const int32_t height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return;
  imaging::BitmapData data;
  // Read through a const view: the lock hands out rows without copying.
  auto& source = const_cast<imaging::Bitmap&>(bitmap);
  if (source.LockBits(imaging::Rect{area.left, area.top, width, height},
                      imaging::ImageLockMode::Read, source.GetPixelFormat(),
                      &data) != imaging::Status::Ok) {
    return;
  }
  const bool opaque = bitmap.GetPixelFormat() == imaging::PixelFormat::Format24bppRGB;
  for (int32_t y = 0; y < height; ++y) {
    const uint32_t* from = data.ConstRow(y);
    auto* to = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(surface.pixels) +
                                           static_cast<intptr_t>(area.top + y - context.origin.y) *
                                               surface.stride) +
               (area.left - context.origin.x);
    if (opaque) {
      std::copy(from, from + width, to);
    } else {
      for (int32_t x = 0; x < width; ++x) to[x] = from[x] | kOpaque;
    }
  }
  source.UnlockBits(&data);
}

}  // namespace

MessageReply CImageEditControl::ProcessWindowMessage(const WindowMessage& message) {
  static constexpr MessageEntry<CImageEditControl> kMap[] = {
      {WM_ERASEBKGND, &CImageEditControl::OnEraseBackground},
      {WM_LBUTTONDOWN, &CImageEditControl::OnLButtonDown},
      {WM_RBUTTONDOWN, &CImageEditControl::OnRButtonDown},
      {WM_CANCELMODE, &CImageEditControl::OnCancelMode},
      {WM_LBUTTONUP, &CImageEditControl::OnLButtonUp},
      {WM_MOUSEMOVE, &CImageEditControl::OnMouseMove},
      {WM_SIZE, &CImageEditControl::OnSize},
  };
  return ui::RouteMessage(*this, kMap, message);
}

// The picture is painted over whatever was there; erasing first would flicker.
MessageReply CImageEditControl::OnEraseBackground(const WindowMessage& /*message*/) {
  return Handled(0);
}

// A size of nothing keeps the buffer there was.
MessageReply CImageEditControl::OnSize(const WindowMessage& message) {
  const auto width = static_cast<int16_t>(LOWORD(static_cast<uint64_t>(message.lParam)));
  const auto height = static_cast<int16_t>(HIWORD(static_cast<uint64_t>(message.lParam)));
  if (width > 0 && height > 0) {
    auto buffer =
        std::make_unique<imaging::Bitmap>(width, height, imaging::PixelFormat::Format32bppARGB);
    // Without a buffer a drag shows nothing new until the next size.
    backBuffer_.reset();
    if (buffer->GetLastStatus() == imaging::Status::Ok) backBuffer_ = std::move(buffer);
  }
  return Handled(0);
}

MouseInput CImageEditControl::InputOf(const WindowMessage& message) {
  MouseInput input;
  input.client = POINT{GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)};
  input.screen = Window().ClientToScreen(input.client);
  return input;
}

void CImageEditControl::Act(const ToolAnswer& answer) {
  if (answer.capture == CaptureAction::kTake) Window().SetCapture();
  if (answer.capture == CaptureAction::kRelease) Window().ReleaseCapture();
  if (answer.changeTab) Fire(kOnChangeTab, *answer.changeTab);
  if (answer.updateData) Fire(kOnUpdateData);
  if (answer.scroll) {
    Fire(kOnScroll, static_cast<int32_t>(answer.scroll->x), static_cast<int32_t>(answer.scroll->y));
  }
  if (answer.changeSize) Fire(kOnChangeSize, answer.changeSize->Width, answer.changeSize->Height);
  // A handler may have replaced the window meanwhile: ask again.
  if (answer.repaintAll) {
    Window().Invalidate();
  } else if (answer.Repaints()) {
    Window().InvalidateRect(answer.repaintRect);
  }
}

void CImageEditControl::AbandonDrag() {
  if (tools_.Captured()) Act(tools_.OnCancelMode(CurrentImage()));
}

MessageReply CImageEditControl::OnLButtonDown(const WindowMessage& message) {
  Act(tools_.OnLButtonDown(CurrentImage(), InputOf(message)));
  return Handled(0);
}

MessageReply CImageEditControl::OnMouseMove(const WindowMessage& message) {
  Act(tools_.OnMouseMove(CurrentImage(), InputOf(message)));
  return Handled(0);
}

MessageReply CImageEditControl::OnLButtonUp(const WindowMessage& message) {
  Act(tools_.OnLButtonUp(CurrentImage(), InputOf(message)));
  return Handled(0);
}

MessageReply CImageEditControl::OnRButtonDown(const WindowMessage& /*message*/) {
  Act(tools_.OnRButtonDown(CurrentImage()));
  return Handled(0);
}

// The tools drop the drag; the standard handling lets go of the capture.
MessageReply CImageEditControl::OnCancelMode(const WindowMessage& /*message*/) {
  Act(tools_.OnCancelMode(CurrentImage()));
  return ui::PassOn();
}

// The bounds stand for the client area. The picture sits at the client's
// top-left corner, never scaled; what lies beyond it is left as it was.
void CImageEditControl::OnDraw(const ui::DrawContext& context) {
  const RECT& bounds = context.bounds;
  if (!HasImage()) {
    ui::DeviceContext dc(context);
    dc.IntersectClipRect(bounds);
    dc.Rectangle(bounds);
    dc.SetTextAlign(TA_CENTER | TA_BASELINE);
    dc.TextOut((bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2, kEmptyListText);
    return;
  }
  imagedoc::CHistoryNode& node = Node();
  const imaging::Bitmap* image = node.GetRenderedImage();
  if (image == nullptr) return;
  if (!tools_.Captured()) {
    CopyToSurface(*image, bounds, context);
    return;
  }
  // During a drag the picture and the tool's preview go out in one copy.
  if (backBuffer_ == nullptr) return;
  {
    imaging::Graphics graphics(*backBuffer_);
    graphics.SetCompositingMode(imaging::CompositingMode::SourceCopy);
    graphics.Clear(kOpaqueWhite);
    graphics.DrawImage(*image, 0, 0);
    graphics.SetCompositingMode(imaging::CompositingMode::SourceOver);
    tools_.DrawPreview(graphics, node, POINT{0, 0});
  }
  CopyToSurface(*backBuffer_, bounds, context);
}

}  // namespace varn::imageedit
