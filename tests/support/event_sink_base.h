// What every test event sink shares: an IDispatch that only receives Invoke,
// kept out of the module's count of live objects.
#pragma once

#include "platform/com/com_object.h"
#include "platform/com/dispatch.h"

namespace varn::testing {

class EventSinkBase : public com::ComObject<IDispatch> {
 public:
  EventSinkBase() : ComObject(com::ModuleCount::kNotCounted) {}

  HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
};

}  // namespace varn::testing
