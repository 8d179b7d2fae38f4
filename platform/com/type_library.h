// A type library built from the declarative tables: a list of dispatch
// interfaces and classes that a host walks through ITypeLib, and from which
// every type info it hands out names itself as contained. The module's own
// library is installed once (SetModuleTypeLibrary) so that the type infos the
// objects hand out find it too.
#pragma once

#include <variant>
#include <vector>

#include "platform/com/type_description.h"
#include "platform/com/type_info.h"

enum SYSKIND : int32_t { SYS_WIN16 = 0, SYS_WIN32 = 1, SYS_MAC = 2, SYS_WIN64 = 3 };

struct TLIBATTR {
  GUID guid;
  LCID lcid;
  SYSKIND syskind;
  WORD wMajorVerNum;
  WORD wMinorVerNum;
  WORD wLibFlags;
};

static_assert(sizeof(TLIBATTR) == 32 && offsetof(TLIBATTR, wMajorVerNum) == 24,
              "Windows x86-64 layout");

// {00020402-0000-0000-C000-000000000046}
inline constexpr IID IID_ITypeLib{
    0x00020402, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// NOLINTBEGIN(cppcoreguidelines-virtual-class-destructor)
struct ITypeLib : IUnknown {
  static constexpr const IID& kIid = IID_ITypeLib;
  using Base = IUnknown;
  virtual UINT GetTypeInfoCount() = 0;
  virtual HRESULT GetTypeInfo(UINT index, ITypeInfo** typeInfo) = 0;
  virtual HRESULT GetTypeInfoType(UINT index, TYPEKIND* kind) = 0;
  virtual HRESULT GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** typeInfo) = 0;
  virtual HRESULT GetLibAttr(TLIBATTR** libAttr) = 0;
  virtual HRESULT GetTypeComp(ITypeComp** typeComp) = 0;
  // index -1 describes the library itself.
  virtual HRESULT GetDocumentation(int32_t index, BSTR* name, BSTR* docString, DWORD* helpContext,
                                   BSTR* helpFile) = 0;
  // Whether a type, member or parameter is called nameBuf (without regard to
  // case); when it is, nameBuf receives the library's own spelling.
  virtual HRESULT IsName(LPOLESTR nameBuf, ULONG hashVal, BOOL* found) = 0;
  // Up to *found types or members called nameBuf: their type infos and
  // memids (MEMBERID_NIL for a type); *found becomes how many were written.
  virtual HRESULT FindName(LPOLESTR nameBuf, ULONG hashVal, ITypeInfo** typeInfos, MEMBERID* memids,
                           USHORT* found) = 0;
  virtual void ReleaseTLibAttr(TLIBATTR* libAttr) = 0;
};
// NOLINTEND(cppcoreguidelines-virtual-class-destructor)

namespace varn::com {

// What the library says of itself.
struct TypeLibraryHeader {
  const char16_t* name;
  GUID libid;
  WORD majorVersion;
  WORD minorVersion;
  const char16_t* helpText;
};

// One entry: a dispatch interface (dual when its role is scripting) or a
// class. A class's interfaces must be entries of the same library.
using TypeLibraryEntry = std::variant<InterfaceDescription, ClassDescription>;

// GUID and name of an entry.
const GUID& EntryGuid(const TypeLibraryEntry& entry);
const char16_t* EntryName(const TypeLibraryEntry& entry);

// The library over entries, in their order. E_INVALIDARG when two entries
// share a GUID or a class names an interface that is not an entry;
// E_OUTOFMEMORY, and a null *typeLib, when it cannot be made.
HRESULT CreateTypeLibrary(TypeLibraryHeader header, std::vector<TypeLibraryEntry> entries,
                          ITypeLib** typeLib);

// The module's own library, asked by type infos that no library handed out
// (those an object makes from its tables) to find their container. Null
// uninstalls it.
using TypeLibraryProvider = HRESULT (*)(ITypeLib** typeLib);
void SetModuleTypeLibrary(TypeLibraryProvider provider);
TypeLibraryProvider ModuleTypeLibraryProvider();

}  // namespace varn::com
