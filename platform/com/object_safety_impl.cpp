#include "platform/com/object_safety_impl.h"

#include "platform/com/dispatch.h"
#include "platform/com/persist.h"

namespace varn::com {
namespace {

// The one safety bit an interface can carry, or 0 when it carries none.
DWORD SafetyBitOf(REFIID riid) {
  if (riid == IID_IDispatch) return INTERFACESAFE_FOR_UNTRUSTED_CALLER;
  if (riid == IID_IPersistStreamInit || riid == IID_IPersistStorage) {
    return INTERFACESAFE_FOR_UNTRUSTED_DATA;
  }
  return 0;
}

}  // namespace

bool ObjectSafety::Implements(REFIID riid) {
  void* found = nullptr;
  if (FAILED(QueryInterface(riid, &found)) || found == nullptr) return false;
  static_cast<IUnknown*>(found)->Release();
  return true;
}

HRESULT ObjectSafety::GetInterfaceSafetyOptions(REFIID riid, DWORD* supported, DWORD* enabled) {
  if (supported == nullptr || enabled == nullptr) return E_FAIL;
  if (!Implements(riid)) return E_NOINTERFACE;
  DWORD bit = SafetyBitOf(riid);
  *supported = bit;
  *enabled = options_ & bit;
  return bit != 0 ? S_OK : E_FAIL;
}

HRESULT ObjectSafety::SetInterfaceSafetyOptions(REFIID riid, DWORD mask, DWORD options) {
  if (mask == 0 && options == 0) return E_FAIL;
  if (!Implements(riid)) return E_NOINTERFACE;
  options_ |= options & mask;
  DWORD bit = SafetyBitOf(riid);
  return bit != 0 && (options_ & bit) != 0 ? S_OK : E_FAIL;
}

}  // namespace varn::com
