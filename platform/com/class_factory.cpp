#include "platform/com/class_factory.h"

namespace varn::com {

ClassFactory::ClassFactory(ObjectCreator create)
    : ComObject(ModuleCount::kNotCounted), create_(create) {}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  if (create_ == nullptr) return E_UNEXPECTED;
  try {
    return create_(riid, object);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

HRESULT ClassFactory::LockServer(BOOL lock) {
  if (lock != 0) {
    AddServerLock();
  } else {
    ReleaseServerLock();
  }
  return S_OK;
}

}  // namespace varn::com
