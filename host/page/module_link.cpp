#include "host/page/module_link.h"

#include <dlfcn.h>

#include <stdexcept>

namespace varn::host {

template <typename F>
F ModuleLink::Resolve(const char* name) {
  void* symbol = dlsym(handle_, name);
  if (symbol == nullptr) {
    throw std::runtime_error(path_ + " does not export " + name);
  }
  return reinterpret_cast<F>(symbol);
}

ModuleLink::ModuleLink(const std::string& path) : path_(path) {
  // RTLD_NODELETE: Qt keeps pointers into the module (its styles, fonts and
  // the plugin cache) for the whole process.
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (handle_ == nullptr) {
    const char* reason = dlerror();
    throw std::runtime_error("cannot load " + path + ": " + (reason != nullptr ? reason : "?"));
  }
  try {
    getClassObject_ = Resolve<decltype(getClassObject_)>("DllGetClassObject");
    canUnloadNow_ = Resolve<decltype(canUnloadNow_)>("DllCanUnloadNow");
    registerServer_ = Resolve<decltype(registerServer_)>("DllRegisterServer");
    unregisterServer_ = Resolve<decltype(unregisterServer_)>("DllUnregisterServer");
    sysAllocStringLen_ = Resolve<decltype(sysAllocStringLen_)>("SysAllocStringLen");
    sysFreeString_ = Resolve<decltype(sysFreeString_)>("SysFreeString");
    sysStringLen_ = Resolve<decltype(sysStringLen_)>("SysStringLen");
    variantClear_ = Resolve<decltype(variantClear_)>("VariantClear");
  } catch (...) {
    dlclose(handle_);
    throw;
  }
}

ModuleLink::~ModuleLink() { dlclose(handle_); }

HRESULT ModuleLink::CreateObject(const CLSID& clsid, com::ComRef<IUnknown>& object) const {
  com::ComRef<IClassFactory> factory;
  HRESULT hr = getClassObject_(clsid, IID_IClassFactory, factory.OutVoid());
  if (FAILED(hr)) return hr;
  return factory->CreateInstance(nullptr, IID_IUnknown, object.OutVoid());
}

BSTR ModuleLink::AllocString(std::u16string_view text) const {
  return sysAllocStringLen_(text.data(), static_cast<UINT>(text.size()));
}

}  // namespace varn::host
