#include "server/exports.h"

#include <new>

#include "platform/com/module_count.h"
#include "server/class_table.h"

extern "C" {

HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
  try {
    return varn::server::ModuleClassObjects().GetClassObject(clsid, riid, object);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

HRESULT DllCanUnloadNow() { return varn::com::CanUnloadModule() ? S_OK : S_FALSE; }

HRESULT DllRegisterServer() { return E_NOTIMPL; }

HRESULT DllUnregisterServer() { return E_NOTIMPL; }

}  // extern "C"
