// Error information as a listed interface of a ComObject: offered for the
// scripting interface only.
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

}  // namespace varn::com
