// Finds a class as a browser does, in the registry store the modules wrote:
// a ProgID (a version-independent one followed through CurVer) or a class id
// in braces leads to the class id and the module registered as its
// InprocServer32.
#pragma once

#include <string>
#include <string_view>

#include "platform/com/types.h"
#include "platform/system/registry_store.h"

namespace varn::host {

struct ClassLocation {
  CLSID clsid{};
  std::string modulePath;
};

// "{D44D178F-0AC1-468D-8D71-FEFFCA9F62EC}", either case; false for anything else.
bool ParseClassId(std::string_view text, CLSID& clsid);

// name: a ProgID ("VarnPostingTool.DrawingControl", ".1" or not), a bare
// class name ("DrawingControl", taken as VarnPostingTool.DrawingControl) or
// "{class id}". False, with the reason in *error, when the store does not
// know the class or names no module (an absolute path) for it.
bool LocateClass(const system::RegistryKey& root, std::string_view name, ClassLocation& location,
                 std::string& error);

}  // namespace varn::host
