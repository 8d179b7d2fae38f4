// Type information built from the declarative member tables: what a script
// engine reads through ITypeInfo to learn an object's members, their
// parameters and the names of its event interface. The objects made here copy
// the rows they describe, so they may outlive the object that handed them out;
// names must be static strings.
#pragma once

#include <optional>
#include <span>
#include <vector>

#include "platform/com/dispatch_member.h"
#include "platform/com/type_info.h"

namespace varn::com {

// The names a class's type information carries, declared once by the class:
//   static constexpr com::TypeNames kTypeNames{u"DrawingControl", u"IDrawingControl",
//                                              u"_IDrawingControlEvents"};
struct TypeNames {
  const char16_t* className;
  const char16_t* scriptInterface;
  const char16_t* eventInterface;
};

enum class InterfaceRole { kScripting, kEvents };

// A dispatch interface: its scripting interface is dual, an event interface
// (implemented by the page's sink) is not.
struct InterfaceDescription {
  const char16_t* name;
  IID iid;
  InterfaceRole role;
  std::vector<MemberInfo> members;
};

// A class with an event interface is a control; one without is a plain
// automation object.
struct ClassDescription {
  const char16_t* name;
  CLSID clsid;
  InterfaceDescription scripting;
  std::optional<InterfaceDescription> events;
};

// The library that hands a type info out, and the type's index there. A type
// info made without one asks the module's library for its container.
struct TypeContainer {
  ITypeLib* library = nullptr;
  UINT index = 0;
};

// A TKIND_DISPATCH type info with one FUNCDESC per row. E_OUTOFMEMORY, and a
// null *typeInfo, when it cannot be made.
HRESULT CreateInterfaceTypeInfo(InterfaceDescription description, ITypeInfo** typeInfo,
                                TypeContainer container = {});

// A TKIND_COCLASS type info that implements the scripting interface and
// sources the event interface, both as defaults. In a library, the
// interfaces' type infos are that library's entries.
HRESULT CreateClassTypeInfo(ClassDescription description, ITypeInfo** typeInfo,
                            TypeContainer container = {});

}  // namespace varn::com
