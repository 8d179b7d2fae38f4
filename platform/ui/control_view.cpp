// The container's view of a control: drawing into its surface, extent, hit
// testing. The same OnDraw serves the control's own window paints.
#include <exception>
#include <new>

#include "platform/ui/clipped_draw.h"
#include "platform/ui/control_base.h"

namespace varn::ui {

HRESULT ControlBase::Draw(DWORD drawAspect, LONG index, void* /*aspect*/,
                          DVTARGETDEVICE* /*target*/, HDC /*targetDevice*/, HDC hdcDraw,
                          const RECTL* bounds, const RECTL* /*windowBounds*/,
                          BOOL (* /*shouldContinue*/)(ULONG_PTR), ULONG_PTR /*continueArg*/) {
  if (drawAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (index != -1) return DV_E_LINDEX;
  if (hdcDraw == nullptr || bounds == nullptr) return E_INVALIDARG;
  AddSelf();
  HRESULT hr = S_OK;
  try {
    hr = DrawClipped(
        *static_cast<VarnSurface*>(hdcDraw), *bounds,
        [this](const DrawContext& context) { OnDraw(context); }, DrawsOpaquePixels());
  } catch (const std::bad_alloc&) {
    hr = E_OUTOFMEMORY;
  } catch (...) {
    hr = VIEW_E_DRAW;
  }
  ReleaseSelf();
  return hr;
}

HRESULT ControlBase::GetColorSet(DWORD /*drawAspect*/, LONG /*index*/, void* /*aspect*/,
                                 DVTARGETDEVICE* /*target*/, HDC /*targetDevice*/,
                                 LOGPALETTE** colorSet) {
  if (colorSet != nullptr) *colorSet = nullptr;
  return E_NOTIMPL;
}

HRESULT ControlBase::Freeze(DWORD /*drawAspect*/, LONG /*index*/, void* /*aspect*/, DWORD* freeze) {
  if (freeze != nullptr) *freeze = 0;
  return E_NOTIMPL;
}

HRESULT ControlBase::Unfreeze(DWORD /*freeze*/) { return E_NOTIMPL; }

HRESULT ControlBase::SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* sink) {
  if (sink != nullptr) sink->AddRef();
  IAdviseSink* old = viewSink_;
  viewSink_ = sink;
  viewAspects_ = aspects;
  viewAdviseFlags_ = advf;
  if (old != nullptr) old->Release();
  return S_OK;
}

HRESULT ControlBase::GetAdvise(DWORD* aspects, DWORD* advf, IAdviseSink** sink) {
  if (aspects != nullptr) *aspects = viewAspects_;
  if (advf != nullptr) *advf = viewAdviseFlags_;
  if (sink != nullptr) {
    *sink = viewSink_;
    if (viewSink_ != nullptr) viewSink_->AddRef();
  }
  return S_OK;
}

HRESULT ControlBase::GetExtent(DWORD drawAspect, LONG /*index*/, DVTARGETDEVICE* /*target*/,
                               SIZEL* size) {
  return GetExtent(drawAspect, size);
}

HRESULT ControlBase::GetRect(DWORD /*aspect*/, RECTL* /*rect*/) { return E_NOTIMPL; }

HRESULT ControlBase::GetViewStatus(DWORD* status) {
  if (status == nullptr) return E_POINTER;
  // Every pixel of the bounds is painted opaque.
  *status = VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND;
  return S_OK;
}

HRESULT ControlBase::QueryHitPoint(DWORD aspect, const RECT* bounds, POINT location,
                                   LONG /*closeHint*/, DWORD* hitResult) {
  if (hitResult == nullptr || bounds == nullptr) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  const bool inside = location.x >= bounds->left && location.x < bounds->right &&
                      location.y >= bounds->top && location.y < bounds->bottom;
  *hitResult = inside ? HITRESULT_HIT : HITRESULT_OUTSIDE;
  return S_OK;
}

HRESULT ControlBase::QueryHitRect(DWORD aspect, const RECT* bounds, const RECT* location,
                                  LONG /*closeHint*/, DWORD* hitResult) {
  if (hitResult == nullptr || bounds == nullptr || location == nullptr) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  const bool overlaps = location->left < bounds->right && bounds->left < location->right &&
                        location->top < bounds->bottom && bounds->top < location->bottom;
  *hitResult = overlaps ? HITRESULT_HIT : HITRESULT_OUTSIDE;
  return S_OK;
}

HRESULT ControlBase::GetNaturalExtent(DWORD /*aspect*/, LONG /*index*/, DVTARGETDEVICE* /*target*/,
                                      HDC /*targetDevice*/, DVEXTENTINFO* /*extentInfo*/,
                                      SIZEL* /*size*/) {
  return E_NOTIMPL;
}

}  // namespace varn::ui
