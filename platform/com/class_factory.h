// The class object of one creatable class. It does not keep the module loaded;
// LockServer does.
#pragma once

#include "platform/com/com_object.h"

namespace varn::com {

// Creates a new object and asks it for riid; CreateObject<T> is one.
using ObjectCreator = HRESULT (*)(REFIID riid, void** object);

class ClassFactory : public ComObject<IClassFactory> {
 public:
  explicit ClassFactory(ObjectCreator create);

  // Aggregation is not supported.
  HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
  HRESULT LockServer(BOOL lock) override;

 private:
  ~ClassFactory() override = default;

  ObjectCreator create_;
};

}  // namespace varn::com
