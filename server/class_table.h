// The classes the module serves and their class objects, created on first
// request and kept for the life of the module.
#pragma once

#include <mutex>
#include <span>
#include <vector>

#include "platform/com/class_factory.h"

namespace varn::server {

struct ClassEntry {
  CLSID clsid;
  com::ObjectCreator create;
};

// The module's own table, in registration order.
std::span<const ClassEntry> ServedClasses();

class ClassObjectTable {
 public:
  explicit ClassObjectTable(std::span<const ClassEntry> entries);
  ~ClassObjectTable();
  ClassObjectTable(const ClassObjectTable&) = delete;
  ClassObjectTable& operator=(const ClassObjectTable&) = delete;

  // The class object of clsid, asked for riid. An unknown class gives
  // CLASS_E_CLASSNOTAVAILABLE and a null *object.
  HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** object);

 private:
  std::span<const ClassEntry> entries_;
  // One per entry, null until first asked for; guarded by mutex_.
  std::vector<com::ClassFactory*> factories_;
  std::mutex mutex_;
};

// The table behind DllGetClassObject.
ClassObjectTable& ModuleClassObjects();

}  // namespace varn::server
