// Automation's type information: what a script engine asks an object for to
// learn its members (names, kinds, parameters) and its event interface. The
// structures keep their Windows x86-64 layouts.
#pragma once

#include <cstddef>

#include "platform/com/dispatch.h"

using HREFTYPE = DWORD;
using SCODE = int32_t;

struct ITypeLib;
struct ITypeComp;
struct ARRAYDESC;
struct VARDESC;

// {00020401-0000-0000-C000-000000000046}
inline constexpr IID IID_ITypeInfo{
    0x00020401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

enum TYPEKIND : int32_t {
  TKIND_ENUM = 0,
  TKIND_RECORD = 1,
  TKIND_MODULE = 2,
  TKIND_INTERFACE = 3,
  TKIND_DISPATCH = 4,
  TKIND_COCLASS = 5,
  TKIND_ALIAS = 6,
  TKIND_UNION = 7,
};

enum FUNCKIND : int32_t {
  FUNC_VIRTUAL = 0,
  FUNC_PUREVIRTUAL = 1,
  FUNC_NONVIRTUAL = 2,
  FUNC_STATIC = 3,
  FUNC_DISPATCH = 4,
};

enum INVOKEKIND : int32_t {
  INVOKE_FUNC = 1,
  INVOKE_PROPERTYGET = 2,
  INVOKE_PROPERTYPUT = 4,
  INVOKE_PROPERTYPUTREF = 8,
};

enum CALLCONV : int32_t { CC_CDECL = 1, CC_STDCALL = 4 };

inline constexpr VARTYPE VT_VOID = 24;
inline constexpr VARTYPE VT_HRESULT = 25;
inline constexpr VARTYPE VT_PTR = 26;

inline constexpr USHORT PARAMFLAG_NONE = 0x0;
inline constexpr USHORT PARAMFLAG_FIN = 0x1;
inline constexpr USHORT PARAMFLAG_FOUT = 0x2;
inline constexpr USHORT PARAMFLAG_FRETVAL = 0x8;

inline constexpr int32_t IMPLTYPEFLAG_FDEFAULT = 0x1;
inline constexpr int32_t IMPLTYPEFLAG_FSOURCE = 0x2;

inline constexpr WORD TYPEFLAG_FCANCREATE = 0x2;
inline constexpr WORD TYPEFLAG_FCONTROL = 0x20;
inline constexpr WORD TYPEFLAG_FDUAL = 0x40;
inline constexpr WORD TYPEFLAG_FDISPATCHABLE = 0x1000;

inline constexpr MEMBERID MEMBERID_NIL = -1;

constexpr HRESULT DISP_E_BADINDEX = static_cast<HRESULT>(0x8002000B);
constexpr HRESULT TYPE_E_ELEMENTNOTFOUND = static_cast<HRESULT>(0x8002802B);

// A type: vt, and for VT_PTR the pointed-to type.
struct TYPEDESC {
  union {
    TYPEDESC* lptdesc;
    ARRAYDESC* lpadesc;
    HREFTYPE hreftype;
  };
  VARTYPE vt;
};

struct IDLDESC {
  uintptr_t dwReserved;
  USHORT wIDLFlags;
};

struct PARAMDESC {
  void* pparamdescex;
  USHORT wParamFlags;
};

struct ELEMDESC {
  TYPEDESC tdesc;
  union {
    IDLDESC idldesc;
    PARAMDESC paramdesc;
  };
};

struct TYPEATTR {
  GUID guid;
  LCID lcid;
  DWORD dwReserved;
  MEMBERID memidConstructor;
  MEMBERID memidDestructor;
  LPOLESTR lpstrSchema;
  ULONG cbSizeInstance;
  TYPEKIND typekind;
  WORD cFuncs;
  WORD cVars;
  WORD cImplTypes;
  WORD cbSizeVft;
  WORD cbAlignment;
  WORD wTypeFlags;
  WORD wMajorVerNum;
  WORD wMinorVerNum;
  TYPEDESC tdescAlias;
  IDLDESC idldescType;
};

struct FUNCDESC {
  MEMBERID memid;
  SCODE* lprgscode;
  ELEMDESC* lprgelemdescParam;
  FUNCKIND funckind;
  INVOKEKIND invkind;
  CALLCONV callconv;
  SHORT cParams;
  SHORT cParamsOpt;
  SHORT oVft;
  SHORT cScodes;
  ELEMDESC elemdescFunc;
  WORD wFuncFlags;
};

static_assert(sizeof(TYPEDESC) == 16 && sizeof(ELEMDESC) == 32, "Windows x86-64 layout");
static_assert(sizeof(TYPEATTR) == 96 && offsetof(TYPEATTR, typekind) == 44,
              "Windows x86-64 layout");
static_assert(sizeof(FUNCDESC) == 88 && offsetof(FUNCDESC, elemdescFunc) == 48,
              "Windows x86-64 layout");

// NOLINTBEGIN(cppcoreguidelines-virtual-class-destructor)
struct ITypeInfo : IUnknown {
  static constexpr const IID& kIid = IID_ITypeInfo;
  using Base = IUnknown;
  virtual HRESULT GetTypeAttr(TYPEATTR** typeAttr) = 0;
  virtual HRESULT GetTypeComp(ITypeComp** typeComp) = 0;
  virtual HRESULT GetFuncDesc(UINT index, FUNCDESC** funcDesc) = 0;
  virtual HRESULT GetVarDesc(UINT index, VARDESC** varDesc) = 0;
  // Names of member memid: its own, then its parameters' in order.
  virtual HRESULT GetNames(MEMBERID memid, BSTR* names, UINT maxNames, UINT* count) = 0;
  virtual HRESULT GetRefTypeOfImplType(UINT index, HREFTYPE* refType) = 0;
  virtual HRESULT GetImplTypeFlags(UINT index, int32_t* flags) = 0;
  virtual HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* memids) = 0;
  virtual HRESULT Invoke(void* instance, MEMBERID memid, WORD flags, DISPPARAMS* params,
                         VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) = 0;
  virtual HRESULT GetDocumentation(MEMBERID memid, BSTR* name, BSTR* docString, DWORD* helpContext,
                                   BSTR* helpFile) = 0;
  virtual HRESULT GetDllEntry(MEMBERID memid, INVOKEKIND invKind, BSTR* dllName, BSTR* name,
                              WORD* ordinal) = 0;
  virtual HRESULT GetRefTypeInfo(HREFTYPE refType, ITypeInfo** typeInfo) = 0;
  virtual HRESULT AddressOfMember(MEMBERID memid, INVOKEKIND invKind, void** address) = 0;
  virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) = 0;
  virtual HRESULT GetMops(MEMBERID memid, BSTR* mops) = 0;
  virtual HRESULT GetContainingTypeLib(ITypeLib** typeLib, UINT* index) = 0;
  virtual void ReleaseTypeAttr(TYPEATTR* typeAttr) = 0;
  virtual void ReleaseFuncDesc(FUNCDESC* funcDesc) = 0;
  virtual void ReleaseVarDesc(VARDESC* varDesc) = 0;
};
// NOLINTEND(cppcoreguidelines-virtual-class-destructor)
