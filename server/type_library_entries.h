// The module's type library, VarnPostingToolLib 1.0: its eleven entries come
// from the classes' declarative tables, and its registration is a registrar
// script generated from the same entries.
#pragma once

#include <string>

#include "platform/com/type_info.h"
#include "server/registrar.h"

namespace varn::server {

// A new reference to the module's type library (a new object each call, over
// the same entries). From the module's load on, the objects' own type infos
// name it as their container.
HRESULT ModuleTypeLibrary(ITypeLib** typeLib);

// The registrar script that writes TypeLib\{LIBID}\1.0 (the module under
// 0\linux64, FLAGS, HELPDIR) and the Interface\{IID} key of each interface of
// the library; run in removal mode it takes them away again, leaving the
// TypeLib and Interface keys themselves. Symbols: %MODULE% (the module's
// absolute path) and %MODULEDIR% (the folder holding it).
std::string TypeLibraryRegistrationScript();

// Adds MODULEDIR, derived from the MODULE already in symbols, for the script
// above.
void AddTypeLibrarySymbols(RegistrarSymbols& symbols);

}  // namespace varn::server
