// The standard answers of the small control interfaces, as listed interfaces
// of a ComObject: error information is offered for the scripting interface
// only, and there are no property pages.
#pragma once

#include "platform/com/control_extras.h"

namespace varn::com {

template <const IID& kScriptIid>
class SupportErrorInfo : public ISupportErrorInfo {
 public:
  HRESULT InterfaceSupportsErrorInfo(REFIID riid) override {
    return riid == kScriptIid ? S_OK : S_FALSE;
  }

 protected:
  ~SupportErrorInfo() = default;
};

class NoPropertyPages : public ISpecifyPropertyPages {
 public:
  HRESULT GetPages(CAUUID* pages) override {
    if (pages == nullptr) return E_POINTER;
    pages->cElems = 0;
    pages->pElems = nullptr;
    return S_OK;
  }

 protected:
  ~NoPropertyPages() = default;
};

}  // namespace varn::com
