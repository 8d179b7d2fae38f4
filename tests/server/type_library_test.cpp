// The module's type library as a host walks it, the containing library of
// every object's own type infos, the library's registration, and the object
// safety of the three controls.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/com/class_info.h"
#include "platform/com/com_ref.h"
#include "platform/com/identifiers.h"
#include "platform/com/object_safety.h"
#include "platform/com/persist.h"
#include "platform/com/type_library.h"
#include "server/class_table.h"
#include "server/registrar.h"
#include "server/type_library_entries.h"
#include "tests/support/type_info_reading.h"

namespace varn::server {
namespace {

using com::ComRef;
using varn::testing::AttributesOf;
using varn::testing::NamesOf;
using varn::testing::TakeText;
using varn::testing::TypeName;

constexpr WORD kDualFlags = TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE;
constexpr WORD kControlFlags = TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL;

struct ExpectedEntry {
  const GUID* guid;
  const char16_t* name;
  TYPEKIND kind;
  WORD flags;
};

const ExpectedEntry kEntries[] = {
    {&IID_IBlogActiveXPackage, u"IBlogActiveXPackage", TKIND_DISPATCH, kDualFlags},
    {&IID_IDrawingControl, u"IDrawingControl", TKIND_DISPATCH, kDualFlags},
    {&IID_IImageEditControl, u"IImageEditControl", TKIND_DISPATCH, kDualFlags},
    {&IID_IProfileImageCropper, u"IProfileImageCropper", TKIND_DISPATCH, kDualFlags},
    {&DIID__IDrawingControlEvents, u"_IDrawingControlEvents", TKIND_DISPATCH,
     TYPEFLAG_FDISPATCHABLE},
    {&DIID__IImageEditControlEvents, u"_IImageEditControlEvents", TKIND_DISPATCH,
     TYPEFLAG_FDISPATCHABLE},
    {&DIID__IProfileImageCropperEvents, u"_IProfileImageCropperEvents", TKIND_DISPATCH,
     TYPEFLAG_FDISPATCHABLE},
    {&CLSID_BlogActiveXPackage, u"BlogActiveXPackage", TKIND_COCLASS, TYPEFLAG_FCANCREATE},
    {&CLSID_DrawingControl, u"DrawingControl", TKIND_COCLASS, kControlFlags},
    {&CLSID_ImageEditControl, u"ImageEditControl", TKIND_COCLASS, kControlFlags},
    {&CLSID_ProfileImageCropper, u"ProfileImageCropper", TKIND_COCLASS, kControlFlags},
};

struct ExpectedClass {
  const CLSID* clsid;
  const IID* scripting;
  const IID* events;  // null for the plain automation object
};

const ExpectedClass kClasses[] = {
    {&CLSID_BlogActiveXPackage, &IID_IBlogActiveXPackage, nullptr},
    {&CLSID_DrawingControl, &IID_IDrawingControl, &DIID__IDrawingControlEvents},
    {&CLSID_ImageEditControl, &IID_IImageEditControl, &DIID__IImageEditControlEvents},
    {&CLSID_ProfileImageCropper, &IID_IProfileImageCropper, &DIID__IProfileImageCropperEvents},
};

ComRef<ITypeLib> Library() {
  ComRef<ITypeLib> lib;
  EXPECT_EQ(ModuleTypeLibrary(lib.Out()), S_OK);
  return lib;
}

ComRef<ITypeInfo> EntryOf(ITypeLib* lib, const GUID& guid) {
  ComRef<ITypeInfo> info;
  EXPECT_EQ(lib->GetTypeInfoOfGuid(guid, info.Out()), S_OK);
  return info;
}

// The LIBID of the library that contains info, and info's index there; the
// entry at that index must be info's own type.
UINT ContainingIndex(ITypeInfo* info) {
  ComRef<ITypeLib> lib;
  UINT index = 99;
  EXPECT_EQ(info->GetContainingTypeLib(lib.Out(), &index), S_OK);
  if (!lib) return index;
  TLIBATTR* attr = nullptr;
  EXPECT_EQ(lib->GetLibAttr(&attr), S_OK);
  EXPECT_EQ(attr->guid, LIBID_VarnPostingToolLib);
  lib->ReleaseTLibAttr(attr);
  ComRef<ITypeInfo> entry;
  EXPECT_EQ(lib->GetTypeInfo(index, entry.Out()), S_OK);
  EXPECT_EQ(AttributesOf(entry.Get()).guid, AttributesOf(info).guid);
  return index;
}

ComRef<IUnknown> Create(const CLSID& clsid) {
  ComRef<IUnknown> object;
  for (const ClassEntry& entry : ServedClasses()) {
    if (entry.clsid == clsid) {
      EXPECT_EQ(entry.create(IID_IUnknown, object.OutVoid()), S_OK);
    }
  }
  return object;
}

TEST(ModuleTypeLibrary, DescribesItselfAsVarnPostingToolLibOneZero) {
  const ComRef<ITypeLib> lib = Library();
  TLIBATTR* attr = nullptr;
  ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
  EXPECT_EQ(attr->guid, LIBID_VarnPostingToolLib);
  EXPECT_EQ(attr->wMajorVerNum, 1);
  EXPECT_EQ(attr->wMinorVerNum, 0);
  EXPECT_EQ(attr->syskind, SYS_WIN64);
  lib->ReleaseTLibAttr(attr);
  lib->ReleaseTLibAttr(attr);  // a second release of the same block does no harm
  BSTR name = nullptr;
  BSTR help = nullptr;
  BSTR file = reinterpret_cast<BSTR>(1);
  ASSERT_EQ(lib->GetDocumentation(-1, &name, &help, nullptr, &file), S_OK);
  EXPECT_EQ(TakeText(name), u"VarnPostingToolLib");
  EXPECT_EQ(TakeText(help), u"VarnPostingTool 1.0 Type Library");
  EXPECT_EQ(file, nullptr);
  EXPECT_EQ(lib->GetTypeInfoCount(), std::size(kEntries));
}

TEST(ModuleTypeLibrary, ElevenEntriesWithTheirNamesKindsAndGuids) {
  const ComRef<ITypeLib> lib = Library();
  std::vector<bool> seen(lib->GetTypeInfoCount(), false);
  for (const ExpectedEntry& want : kEntries) {
    SCOPED_TRACE(::testing::Message() << std::string(want.name, want.name + 1));
    const ComRef<ITypeInfo> info = EntryOf(lib.Get(), *want.guid);
    ASSERT_TRUE(info);
    const TYPEATTR attr = AttributesOf(info.Get());
    EXPECT_EQ(attr.guid, *want.guid);
    EXPECT_EQ(attr.typekind, want.kind);
    EXPECT_EQ(attr.wTypeFlags, want.flags);
    EXPECT_EQ(TypeName(info.Get()), want.name);

    const UINT index = ContainingIndex(info.Get());
    ASSERT_LT(index, seen.size());
    EXPECT_FALSE(seen[index]) << "two entries at index " << index;
    seen[index] = true;
    TYPEKIND kind = TKIND_ENUM;
    EXPECT_EQ(lib->GetTypeInfoType(index, &kind), S_OK);
    EXPECT_EQ(kind, want.kind);
    BSTR name = nullptr;
    EXPECT_EQ(lib->GetDocumentation(static_cast<int32_t>(index), &name, nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(TakeText(name), want.name);
  }
  EXPECT_EQ(AttributesOf(EntryOf(lib.Get(), IID_IBlogActiveXPackage).Get()).cFuncs, 0);

  const UINT count = lib->GetTypeInfoCount();
  ITypeInfo* none = reinterpret_cast<ITypeInfo*>(1);
  EXPECT_EQ(lib->GetTypeInfo(count, &none), TYPE_E_ELEMENTNOTFOUND);
  EXPECT_EQ(none, nullptr);
  TYPEKIND kind = TKIND_ENUM;
  EXPECT_EQ(lib->GetTypeInfoType(count, &kind), TYPE_E_ELEMENTNOTFOUND);
  EXPECT_EQ(lib->GetDocumentation(static_cast<int32_t>(count), nullptr, nullptr, nullptr, nullptr),
            TYPE_E_ELEMENTNOTFOUND);
  EXPECT_EQ(lib->GetTypeInfoOfGuid(LIBID_VarnPostingToolLib, &none), TYPE_E_ELEMENTNOTFOUND);
}

TEST(ModuleTypeLibrary, MembersKeepTheirNamesAndDispids) {
  struct Member {
    const IID* iid;
    std::vector<std::u16string> names;  // the member's, then its parameters'
    MEMBERID dispid;
  };
  const Member members[] = {
      {&IID_IDrawingControl, {u"AddLayer"}, 7},
      {&IID_IDrawingControl, {u"SaveAndSubmit"}, 34},
      {&DIID__IDrawingControlEvents, {u"OnAddLayer", u"nId"}, 2},
      {&DIID__IDrawingControlEvents, {u"OnUploadFileComplete", u"nResult"}, 11},
      {&IID_IImageEditControl, {u"AddImage"}, 1},
      {&IID_IImageEditControl, {u"RotateImage", u"nDegree"}, 5},
      {&IID_IImageEditControl, {u"SaveAndSubmit"}, 25},
      {&DIID__IImageEditControlEvents, {u"OnAddImage", u"nIndex", u"bstrPath"}, 4},
      {&IID_IProfileImageCropper, {u"Submit"}, 8},
      {&DIID__IProfileImageCropperEvents, {u"OnUploadFileComplete", u"nCode"}, 3},
  };
  const ComRef<ITypeLib> lib = Library();
  for (const Member& want : members) {
    const ComRef<ITypeInfo> info = EntryOf(lib.Get(), *want.iid);
    ASSERT_TRUE(info);
    std::u16string name = want.names.front();
    LPOLESTR asked = name.data();
    MEMBERID memid = 0;
    EXPECT_EQ(info->GetIDsOfNames(&asked, 1, &memid), S_OK);
    EXPECT_EQ(memid, want.dispid);
    EXPECT_EQ(NamesOf(info.Get(), want.dispid), want.names);
  }
}

TEST(ModuleTypeLibrary, ClassesNameTheirDefaultInterfaceAndDefaultSource) {
  const ComRef<ITypeLib> lib = Library();
  for (const ExpectedClass& want : kClasses) {
    const ComRef<ITypeInfo> cls = EntryOf(lib.Get(), *want.clsid);
    ASSERT_TRUE(cls);
    const UINT implTypes = want.events != nullptr ? 2 : 1;
    EXPECT_EQ(AttributesOf(cls.Get()).cImplTypes, implTypes);
    for (UINT i = 0; i < implTypes; ++i) {
      int32_t flags = 0;
      HREFTYPE ref = 0;
      ComRef<ITypeInfo> itf;
      ASSERT_EQ(cls->GetImplTypeFlags(i, &flags), S_OK);
      ASSERT_EQ(cls->GetRefTypeOfImplType(i, &ref), S_OK);
      ASSERT_EQ(cls->GetRefTypeInfo(ref, itf.Out()), S_OK);
      const bool source = (flags & IMPLTYPEFLAG_FSOURCE) != 0;
      EXPECT_NE(flags & IMPLTYPEFLAG_FDEFAULT, 0);
      EXPECT_EQ(AttributesOf(itf.Get()).guid, source ? *want.events : *want.scripting);
      // The referenced interface is the library's own entry.
      EXPECT_EQ(ContainingIndex(itf.Get()),
                ContainingIndex(EntryOf(lib.Get(), *want.scripting).Get()) + (source ? 3u : 0u));
    }
    if (want.events == nullptr) continue;
    // The object's class information agrees.
    const ComRef<IProvideClassInfo2> info = Create(*want.clsid).As<IProvideClassInfo2>();
    ASSERT_TRUE(info);
    GUID source{};
    EXPECT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), S_OK);
    EXPECT_EQ(source, *want.events);
  }
}

// Every type info an object hands out (its scripting interface; for a
// control also its class and the class's two interfaces) names the module's
// library and its own index there.
TEST(ModuleTypeLibrary, ContainsTheTypeInfosOfEveryObject) {
  const ComRef<ITypeLib> lib = Library();
  auto indexOf = [&lib](const GUID& guid) {
    return ContainingIndex(EntryOf(lib.Get(), guid).Get());
  };
  for (const ExpectedClass& want : kClasses) {
    const ComRef<IUnknown> object = Create(*want.clsid);
    ASSERT_TRUE(object);
    ComRef<ITypeInfo> script;
    ASSERT_EQ(object.As<IDispatch>()->GetTypeInfo(0, 0, script.Out()), S_OK);
    EXPECT_EQ(ContainingIndex(script.Get()), indexOf(*want.scripting));
    if (want.events == nullptr) {
      EXPECT_FALSE(object.As<IProvideClassInfo>());
      continue;
    }
    ComRef<ITypeInfo> cls;
    ASSERT_EQ(object.As<IProvideClassInfo>()->GetClassInfo(cls.Out()), S_OK);
    EXPECT_EQ(ContainingIndex(cls.Get()), indexOf(*want.clsid));
    for (UINT ref = 1; ref <= 2; ++ref) {
      ComRef<ITypeInfo> itf;
      ASSERT_EQ(cls->GetRefTypeInfo(ref, itf.Out()), S_OK);
      EXPECT_EQ(ContainingIndex(itf.Get()), indexOf(AttributesOf(itf.Get()).guid));
    }
  }
}

TEST(ModuleTypeLibrary, FindsNamesWithoutRegardToCase) {
  const ComRef<ITypeLib> lib = Library();
  struct Lookup {
    std::u16string asked;
    const char16_t* spelled;  // null: not a name of the library
  };
  const Lookup lookups[] = {
      {u"idrawingcontrol", u"IDrawingControl"},
      {u"ADDLAYER", u"AddLayer"},
      {u"bstrpath", u"bstrPath"},
      {u"NoSuchName", nullptr},
  };
  for (Lookup look : lookups) {
    BOOL found = 7;
    EXPECT_EQ(lib->IsName(look.asked.data(), 0, &found), S_OK);
    EXPECT_EQ(found, look.spelled != nullptr ? TRUE : FALSE);
    if (look.spelled != nullptr) {
      EXPECT_EQ(look.asked, look.spelled);
    }
  }

  // OnUploadFileComplete is a member of all three event interfaces.
  std::u16string asked = u"onuploadfilecomplete";
  ITypeInfo* infos[4] = {};
  MEMBERID memids[4] = {};
  USHORT found = 4;
  ASSERT_EQ(lib->FindName(asked.data(), 0, infos, memids, &found), S_OK);
  ASSERT_EQ(found, 3);
  const std::vector<MEMBERID> wanted = {11, 9, 3};
  for (USHORT i = 0; i < found; ++i) {
    EXPECT_EQ(memids[i], wanted[i]);
    infos[i]->Release();
  }
  asked = u"ImageEditControl";
  found = 1;
  ASSERT_EQ(lib->FindName(asked.data(), 0, infos, memids, &found), S_OK);
  ASSERT_EQ(found, 1);
  EXPECT_EQ(memids[0], MEMBERID_NIL);
  EXPECT_EQ(AttributesOf(infos[0]).guid, CLSID_ImageEditControl);
  infos[0]->Release();
}

TEST(ModuleTypeLibrary, RefusesEntriesThatDoNotHangTogether) {
  const com::InterfaceDescription itf{
      u"IDrawingControl", IID_IDrawingControl, com::InterfaceRole::kScripting, {}};
  const com::ClassDescription cls{u"DrawingControl", CLSID_DrawingControl, itf, std::nullopt};
  ITypeLib* lib = reinterpret_cast<ITypeLib*>(1);
  const com::TypeLibraryHeader header{u"L", LIBID_VarnPostingToolLib, 1, 0, u"L"};
  EXPECT_EQ(com::CreateTypeLibrary(header, {itf, itf}, &lib), E_INVALIDARG);
  EXPECT_EQ(lib, nullptr);
  EXPECT_EQ(com::CreateTypeLibrary(header, {cls}, &lib), E_INVALIDARG) << "interface missing";
  ASSERT_EQ(com::CreateTypeLibrary(header, {itf, cls}, &lib), S_OK);
  lib->Release();
}

class TypeLibraryRegistration : public ::testing::Test {
 protected:
  void SetUp() override {
    symbols_ = ModuleSymbols("/opt/varn/lib/VarnPostingTool.so");
    AddTypeLibrarySymbols(symbols_);
    // Somebody else's interface and library, to be left alone.
    root_.OpenPath("Interface\\{00000000-0000-0000-0000-00000000ABCD}").SetValue("", "IOther");
    root_.OpenPath("TypeLib\\{00000000-0000-0000-0000-00000000ABCE}\\2.0").SetValue("", "Other");
  }

  system::RegistryKey root_;
  RegistrarSymbols symbols_;
};

TEST_F(TypeLibraryRegistration, WritesTheLibraryAndItsInterfacesAndTakesThemBack) {
  const std::string script = TypeLibraryRegistrationScript();
  ASSERT_TRUE(RegisterScript(script, symbols_, root_)) << script;
  const std::string libKey = "TypeLib\\" + GuidText(LIBID_VarnPostingToolLib);
  struct Value {
    std::string key;
    std::string name;
    std::string text;
  };
  std::vector<Value> expected = {
      {libKey + "\\1.0", "", "VarnPostingTool 1.0 Type Library"},
      {libKey + "\\1.0\\0\\linux64", "", "/opt/varn/lib/VarnPostingTool.so"},
      {libKey + "\\1.0\\FLAGS", "", "0"},
      {libKey + "\\1.0\\HELPDIR", "", "/opt/varn/lib"},
  };
  const std::string marshaler = "{00020420-0000-0000-C000-000000000046}";
  int interfaces = 0;
  for (const ExpectedEntry& entry : kEntries) {
    if (entry.kind != TKIND_DISPATCH) continue;
    ++interfaces;
    const std::string key = "Interface\\" + GuidText(*entry.guid);
    const std::u16string name = entry.name;
    expected.push_back({key, "", std::string(name.begin(), name.end())});
    expected.push_back({key + "\\ProxyStubClsid", "", marshaler});
    expected.push_back({key + "\\ProxyStubClsid32", "", marshaler});
    expected.push_back({key + "\\TypeLib", "", GuidText(LIBID_VarnPostingToolLib)});
    expected.push_back({key + "\\TypeLib", "Version", "1.0"});
  }
  EXPECT_EQ(interfaces, 7);
  for (const Value& want : expected) {
    const system::RegistryKey* key = root_.FindPath(want.key);
    ASSERT_NE(key, nullptr) << want.key;
    const std::string* text = key->GetValue(want.name);
    ASSERT_NE(text, nullptr) << want.key << " " << want.name;
    EXPECT_EQ(*text, want.text) << want.key << " " << want.name;
  }
  EXPECT_EQ(root_.FindPath("Interface")->Subkeys().size(), 8u);

  ASSERT_TRUE(RegisterScript(script, symbols_, root_)) << "a second registration";
  EXPECT_EQ(root_.FindPath("Interface")->Subkeys().size(), 8u);

  ASSERT_TRUE(UnregisterScript(script, symbols_, root_));
  EXPECT_EQ(root_.FindPath(libKey), nullptr);
  ASSERT_NE(root_.FindPath("Interface"), nullptr);
  EXPECT_EQ(root_.FindPath("Interface")->Subkeys().size(), 1u) << "only the other interface";
  EXPECT_NE(root_.FindPath("TypeLib\\{00000000-0000-0000-0000-00000000ABCE}\\2.0"), nullptr);
}

// The safety-option word of each control: caller safety for IDispatch starts
// off, a set turns it on for good.
TEST(ControlObjectSafety, DispatchOptionsOnceSetStaySet) {
  for (const ExpectedClass& want : kClasses) {
    if (want.events == nullptr) continue;
    const ComRef<IObjectSafety> safety = Create(*want.clsid).As<IObjectSafety>();
    ASSERT_TRUE(safety);
    DWORD supported = 9;
    DWORD enabled = 9;
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
    EXPECT_EQ(supported, INTERFACESAFE_FOR_UNTRUSTED_CALLER);
    EXPECT_EQ(enabled, 0u);
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 1, 1), S_OK);
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
    EXPECT_EQ(enabled, 1u);
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 1, 0), S_OK);
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
    EXPECT_EQ(enabled, 1u);
  }
}

TEST(ControlObjectSafety, AnInterfaceTheControlLacksIsRefused) {
  const ComRef<IObjectSafety> safety = Create(CLSID_ImageEditControl).As<IObjectSafety>();
  ASSERT_TRUE(safety);
  DWORD supported = 9;
  DWORD enabled = 9;
  EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IPersistStorage, &supported, &enabled),
            E_NOINTERFACE);
  EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IPersistStorage, 2, 2), E_NOINTERFACE);
}

}  // namespace
}  // namespace varn::server
