// IObjectSafety as a listed interface of a ComObject. The control keeps one
// option word: a bit once set by the container is never cleared.
#pragma once

#include "platform/com/object_safety.h"

namespace varn::com {

class ObjectSafety : public IObjectSafety {
 public:
  HRESULT GetInterfaceSafetyOptions(REFIID riid, DWORD* supported, DWORD* enabled) override;
  HRESULT SetInterfaceSafetyOptions(REFIID riid, DWORD mask, DWORD options) override;

  DWORD SafetyOptions() const { return options_; }

 protected:
  ObjectSafety() = default;
  ~ObjectSafety() = default;

 private:
  // Asks the object's own QueryInterface, so the answer follows its table.
  bool Implements(REFIID riid);

  DWORD options_ = 0;
};

}  // namespace varn::com
