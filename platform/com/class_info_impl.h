// IProvideClassInfo2 for a control whose default source is kEventIid, as a
// listed interface of a ComObject.
#pragma once

#include "platform/com/class_info.h"

namespace varn::com {

template <const IID& kEventIid>
class ProvideClassInfo : public IProvideClassInfo2 {
 public:
  // FIXME: answers E_NOTIMPL until the module carries a type library.
  HRESULT GetClassInfo(ITypeInfo** typeInfo) override {
    if (typeInfo == nullptr) return E_POINTER;
    *typeInfo = nullptr;
    return E_NOTIMPL;
  }

  HRESULT GetGUID(DWORD guidKind, GUID* guid) override {
    if (guid == nullptr) return E_POINTER;
    if (guidKind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
      *guid = GUID_NULL;
      return E_INVALIDARG;
    }
    *guid = kEventIid;
    return S_OK;
  }

 protected:
  ~ProvideClassInfo() = default;
};

}  // namespace varn::com
