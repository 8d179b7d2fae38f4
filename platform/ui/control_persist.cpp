// The persisted properties of a control: its extent, `_cx` then `_cy`, each a
// 32-bit unsigned value, followed by whatever the control itself adds.
#include <limits>

#include "platform/ui/control_base.h"
#include "platform/ui/stream_io.h"

namespace varn::ui {
namespace {

constexpr ULONG kExtentBytes = 8;

}  // namespace

HRESULT ControlBase::GetClassID(CLSID* clsid) {
  if (clsid == nullptr) return E_POINTER;
  *clsid = clsid_;
  return S_OK;
}

HRESULT ControlBase::IsDirty() { return dirty_ ? S_OK : S_FALSE; }

HRESULT ControlBase::Load(IStream* stream) {
  if (stream == nullptr) return E_POINTER;
  uint32_t cx = 0;
  uint32_t cy = 0;
  HRESULT hr = ReadUint32(*stream, cx);
  if (SUCCEEDED(hr)) hr = ReadUint32(*stream, cy);
  if (FAILED(hr)) return hr;
  // SIZEL holds signed values; larger ones were never written by a control.
  constexpr uint32_t kLargest = std::numeric_limits<LONG>::max();
  if (cx > kLargest || cy > kLargest) return E_FAIL;
  hr = LoadExtraProperties(*stream);
  if (FAILED(hr)) return hr;
  extent_ = SIZEL{static_cast<LONG>(cx), static_cast<LONG>(cy)};
  dirty_ = false;
  return S_OK;
}

HRESULT ControlBase::Save(IStream* stream, BOOL clearDirty) {
  if (stream == nullptr) return E_POINTER;
  HRESULT hr = WriteUint32(*stream, static_cast<uint32_t>(extent_.cx));
  if (SUCCEEDED(hr)) hr = WriteUint32(*stream, static_cast<uint32_t>(extent_.cy));
  if (SUCCEEDED(hr)) hr = SaveExtraProperties(*stream);
  if (FAILED(hr)) return hr;
  if (clearDirty) dirty_ = false;
  return S_OK;
}

HRESULT ControlBase::GetSizeMax(ULARGE_INTEGER* size) {
  if (size == nullptr) return E_POINTER;
  size->QuadPart = kExtentBytes + ExtraPropertiesSizeMax();
  return S_OK;
}

HRESULT ControlBase::InitNew() {
  extent_ = SIZEL{kDefaultExtent, kDefaultExtent};
  dirty_ = false;
  return S_OK;
}

HRESULT ControlBase::LoadExtraProperties(IStream& /*stream*/) { return S_OK; }

HRESULT ControlBase::SaveExtraProperties(IStream& /*stream*/) { return S_OK; }

uint64_t ControlBase::ExtraPropertiesSizeMax() { return 0; }

}  // namespace varn::ui
