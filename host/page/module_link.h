// The component module as a browser sees it: a file loaded with dlopen, its
// class objects, and the string and variant helpers that share its allocator.
// Everything the page runner hands to a control goes through these exports.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/com/com_ref.h"
#include "platform/com/types.h"
#include "platform/com/unknown.h"

namespace varn::host {

class ModuleLink {
 public:
  // Loads the module at path; throws std::runtime_error with dlerror's text or
  // the name of a missing export.
  explicit ModuleLink(const std::string& path);
  ~ModuleLink();
  ModuleLink(const ModuleLink&) = delete;
  ModuleLink& operator=(const ModuleLink&) = delete;

  // A new object of class clsid as its IUnknown; the failing HRESULT otherwise.
  HRESULT CreateObject(const CLSID& clsid, com::ComRef<IUnknown>& object) const;
  HRESULT CanUnloadNow() const { return canUnloadNow_(); }
  // The module's own registration into the registry store, and its removal.
  HRESULT RegisterServer() const { return registerServer_(); }
  HRESULT UnregisterServer() const { return unregisterServer_(); }

  // A BSTR of the module's allocator; null only when memory ran out.
  BSTR AllocString(std::u16string_view text) const;
  void FreeString(BSTR text) const { sysFreeString_(text); }
  UINT StringLength(BSTR text) const { return sysStringLen_(text); }
  void ClearVariant(VARIANT& value) const { variantClear_(&value); }

  const std::string& Path() const { return path_; }

 private:
  template <typename F>
  F Resolve(const char* name);

  std::string path_;
  void* handle_ = nullptr;
  HRESULT (*getClassObject_)(const CLSID&, const IID&, void**) = nullptr;
  HRESULT (*canUnloadNow_)() = nullptr;
  HRESULT (*registerServer_)() = nullptr;
  HRESULT (*unregisterServer_)() = nullptr;
  BSTR (*sysAllocStringLen_)(const OLECHAR*, UINT) = nullptr;
  void (*sysFreeString_)(BSTR) = nullptr;
  UINT (*sysStringLen_)(BSTR) = nullptr;
  HRESULT (*variantClear_)(VARIANT*) = nullptr;
};

// A BSTR owned by the host and freed through the module.
class ModuleString {
 public:
  ModuleString(const ModuleLink& module, std::u16string_view text)
      : module_(&module), text_(module.AllocString(text)) {}
  ModuleString(const ModuleString&) = delete;
  ModuleString& operator=(const ModuleString&) = delete;
  ~ModuleString() { module_->FreeString(text_); }
  BSTR Get() const { return text_; }

 private:
  const ModuleLink* module_;
  BSTR text_;
};

}  // namespace varn::host
