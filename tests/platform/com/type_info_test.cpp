// Type information read the way a page runner reads it: through IDispatch for
// the scripting interface, through IProvideClassInfo for the class and its
// event interface.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "invoke_helpers.h"
#include "platform/com/com_ref.h"
#include "platform/com/module_count.h"
#include "platform/com/type_description.h"
#include "test_control.h"
#include "tests/support/type_info_reading.h"

namespace varn::com::testing {
namespace {

using varn::testing::AllFunctions;
using varn::testing::AttributesOf;
using varn::testing::Function;
using varn::testing::FunctionAt;
using varn::testing::NamesOf;
using varn::testing::TakeText;
using varn::testing::TypeName;

constexpr USHORT kIn = PARAMFLAG_FIN;
constexpr USHORT kOut = PARAMFLAG_FOUT;
constexpr VARTYPE kOutI4 = VT_BYREF | VT_I4;
constexpr VARTYPE kOutBool = VT_BYREF | VT_BOOL;
constexpr VARTYPE kOutBstr = VT_BYREF | VT_BSTR;

class TypeInfo : public ::testing::Test {
 protected:
  void SetUp() override {
    control_ = MakeObject<CTestControl>();
    ASSERT_NE(control_, nullptr);
    ASSERT_EQ(control_->QueryInterface(IID_IDispatch, dispatch_.OutVoid()), S_OK);
    ASSERT_EQ(dispatch_->GetTypeInfo(0, 0, script_.Out()), S_OK);
    ASSERT_NE(script_.Get(), nullptr);
  }
  void TearDown() override { control_->Release(); }

  ComRef<ITypeInfo> ClassInfo() {
    ComRef<IProvideClassInfo> provider;
    ComRef<ITypeInfo> info;
    EXPECT_EQ(control_->QueryInterface(IID_IProvideClassInfo, provider.OutVoid()), S_OK);
    EXPECT_EQ(provider->GetClassInfo(info.Out()), S_OK);
    return info;
  }

  CTestControl* control_ = nullptr;
  ComRef<IDispatch> dispatch_;
  ComRef<ITypeInfo> script_;
};

TEST_F(TypeInfo, ScriptInterfaceIsADualDispatchInterfaceWithOneFunctionPerRow) {
  const TYPEATTR attr = AttributesOf(script_.Get());
  EXPECT_EQ(attr.typekind, TKIND_DISPATCH);
  EXPECT_EQ(attr.guid, IID_ITestControl);
  EXPECT_EQ(attr.cFuncs, CTestControl::DispatchMembers().size());
  EXPECT_EQ(attr.cVars, 0);
  EXPECT_EQ(attr.wTypeFlags, TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE);
  EXPECT_EQ(TypeName(script_.Get()), u"ITestControl");

  UINT count = 0;
  EXPECT_EQ(dispatch_->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
  ITypeInfo* other = reinterpret_cast<ITypeInfo*>(1);
  EXPECT_EQ(dispatch_->GetTypeInfo(1, 0, &other), DISP_E_BADINDEX);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(dispatch_->GetTypeInfo(0, 0, nullptr), E_POINTER);
  EXPECT_EQ(dispatch_->GetTypeInfoCount(nullptr), E_POINTER);
}

TEST_F(TypeInfo, FunctionsDescribeKindsParametersAndResults) {
  std::map<std::pair<MEMBERID, INVOKEKIND>, Function> byMember;
  for (const Function& function : AllFunctions(script_.Get())) {
    EXPECT_TRUE(byMember.emplace(std::pair{function.memid, function.invkind}, function).second)
        << "memid " << function.memid << " kind " << function.invkind << " twice";
  }
  EXPECT_EQ(byMember.size(), CTestControl::DispatchMembers().size());
  using Key = std::pair<MEMBERID, INVOKEKIND>;
  const std::vector<Function> expected = {
      {kCount, INVOKE_PROPERTYGET, {}, {}, VT_I4},
      {kCount, INVOKE_PROPERTYPUT, {VT_I4}, {kIn}, VT_VOID},
      {kName, INVOKE_PROPERTYGET, {}, {}, VT_BSTR},
      {kName, INVOKE_PROPERTYPUT, {VT_BSTR}, {kIn}, VT_VOID},
      {kEnabled, INVOKE_PROPERTYGET, {}, {}, VT_BOOL},
      {kEnabled, INVOKE_PROPERTYPUT, {VT_BOOL}, {kIn}, VT_VOID},
      {kOptional, INVOKE_PROPERTYGET, {}, {}, VT_BSTR},
      {kAdd, INVOKE_FUNC, {VT_I4, VT_I4, kOutI4}, {kIn, kIn, kOut}, VT_VOID},
      {kDescribe, INVOKE_FUNC, {kOutBstr, kOutBool}, {kOut, kOut}, VT_VOID},
      {kCheck, INVOKE_FUNC, {VT_I4}, {kIn}, VT_VOID},
      {kFireChanged, INVOKE_FUNC, {}, {}, VT_VOID},
  };
  for (const Function& want : expected) {
    auto found = byMember.find(Key{want.memid, want.invkind});
    ASSERT_NE(found, byMember.end()) << "memid " << want.memid << " kind " << want.invkind;
    EXPECT_EQ(found->second, want) << "memid " << want.memid << " kind " << want.invkind;
  }
  EXPECT_EQ(byMember.count(Key{kOptional, INVOKE_PROPERTYPUT}), 0u) << "a read-only property";
}

TEST_F(TypeInfo, FunctionDescriptionsOutOfRangeOrReleasedTwiceDoNoHarm) {
  const TYPEATTR attr = AttributesOf(script_.Get());
  FUNCDESC* desc = reinterpret_cast<FUNCDESC*>(1);
  EXPECT_EQ(script_->GetFuncDesc(attr.cFuncs, &desc), TYPE_E_ELEMENTNOTFOUND);
  EXPECT_EQ(desc, nullptr);
  EXPECT_EQ(script_->GetFuncDesc(0xFFFFFFFFu, &desc), TYPE_E_ELEMENTNOTFOUND);
  EXPECT_EQ(script_->GetFuncDesc(0, nullptr), E_POINTER);
  EXPECT_EQ(script_->GetTypeAttr(nullptr), E_POINTER);

  ASSERT_EQ(script_->GetFuncDesc(attr.cFuncs - 1u, &desc), S_OK);
  script_->ReleaseFuncDesc(desc);
  script_->ReleaseFuncDesc(desc);
  script_->ReleaseFuncDesc(nullptr);
  TYPEATTR* typeAttr = nullptr;
  ASSERT_EQ(script_->GetTypeAttr(&typeAttr), S_OK);
  script_->ReleaseTypeAttr(typeAttr);
  script_->ReleaseTypeAttr(typeAttr);
  // Descriptions still out when the type info goes are freed with it.
  ASSERT_EQ(script_->GetFuncDesc(0, &desc), S_OK);
  ASSERT_EQ(script_->GetTypeAttr(&typeAttr), S_OK);
}

TEST_F(TypeInfo, NamesGiveTheMemberThenItsParametersAsFarAsTheyFit) {
  EXPECT_EQ(NamesOf(script_.Get(), kAdd),
            (std::vector<std::u16string>{u"Add", u"a", u"b", u"sum"}));
  EXPECT_EQ(NamesOf(script_.Get(), kAdd, 2), (std::vector<std::u16string>{u"Add", u"a"}));
  EXPECT_EQ(NamesOf(script_.Get(), kCount), (std::vector<std::u16string>{u"count"}));
  // Parameters the table leaves unnamed give the member alone.
  EXPECT_EQ(NamesOf(script_.Get(), kDescribe), (std::vector<std::u16string>{u"Describe"}));

  BSTR names[2] = {nullptr, nullptr};
  UINT count = 5;
  EXPECT_EQ(script_->GetNames(kAdd, names, 0, &count), S_OK);
  EXPECT_EQ(count, 0u);
  count = 5;
  EXPECT_EQ(script_->GetNames(999, names, 2, &count), TYPE_E_ELEMENTNOTFOUND);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(names[0], nullptr);
  EXPECT_EQ(script_->GetNames(MEMBERID_NIL, names, 2, &count), TYPE_E_ELEMENTNOTFOUND);
  EXPECT_EQ(script_->GetNames(kAdd, names, 2, nullptr), E_POINTER);
  EXPECT_EQ(script_->GetNames(kAdd, nullptr, 2, &count), E_POINTER);
}

TEST_F(TypeInfo, DocumentationNamesTheTypeAndItsMembers) {
  BSTR name = nullptr;
  BSTR doc = reinterpret_cast<BSTR>(1);
  BSTR helpFile = reinterpret_cast<BSTR>(1);
  DWORD context = 7;
  EXPECT_EQ(script_->GetDocumentation(kName, &name, &doc, &context, &helpFile), S_OK);
  EXPECT_EQ(TakeText(name), u"Name");
  EXPECT_EQ(doc, nullptr);
  EXPECT_EQ(helpFile, nullptr);
  EXPECT_EQ(context, 0u);
  EXPECT_EQ(script_->GetDocumentation(kAdd, nullptr, nullptr, nullptr, nullptr), S_OK);
  name = reinterpret_cast<BSTR>(1);
  EXPECT_EQ(script_->GetDocumentation(999, &name, nullptr, nullptr, nullptr),
            TYPE_E_ELEMENTNOTFOUND);
  EXPECT_EQ(name, nullptr);
}

TEST_F(TypeInfo, IdsOfNamesIgnoreCaseAndResolveParameterPositions) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(u"ADD"), const_cast<LPOLESTR>(u"Sum"),
                      const_cast<LPOLESTR>(u"a")};
  MEMBERID ids[3] = {};
  EXPECT_EQ(script_->GetIDsOfNames(names, 3, ids), S_OK);
  EXPECT_EQ(ids[0], kAdd);
  EXPECT_EQ(ids[1], 2);
  EXPECT_EQ(ids[2], 0);

  names[1] = const_cast<LPOLESTR>(u"total");
  EXPECT_EQ(script_->GetIDsOfNames(names, 3, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[0], kAdd);
  EXPECT_EQ(ids[1], MEMBERID_NIL);
  EXPECT_EQ(ids[2], 0);

  names[0] = const_cast<LPOLESTR>(u"coun");
  EXPECT_EQ(script_->GetIDsOfNames(names, 1, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[0], MEMBERID_NIL);
  names[0] = const_cast<LPOLESTR>(u"fIrEcHaNgEd");
  EXPECT_EQ(script_->GetIDsOfNames(names, 1, ids), S_OK);
  EXPECT_EQ(ids[0], kFireChanged);
  names[0] = nullptr;
  EXPECT_EQ(script_->GetIDsOfNames(names, 1, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(script_->GetIDsOfNames(nullptr, 1, ids), E_POINTER);
  EXPECT_EQ(script_->GetIDsOfNames(names, 1, nullptr), E_POINTER);
}

TEST_F(TypeInfo, InvokeGoesToTheInstancesDispatch) {
  int32_t sum = 0;
  std::vector<VARIANT> reversed{ByRef(VT_I4, &sum), I4(3), I4(4)};
  DISPPARAMS params{reversed.data(), nullptr, 3, 0};
  EXPECT_EQ(
      script_->Invoke(dispatch_.Get(), kAdd, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
      S_OK);
  EXPECT_EQ(sum, 7);
  EXPECT_EQ(script_->Invoke(nullptr, kAdd, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
            E_INVALIDARG);
  EXPECT_EQ(
      script_->Invoke(dispatch_.Get(), 999, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
      DISP_E_MEMBERNOTFOUND);
}

TEST_F(TypeInfo, WhatIsNotServedAnswersNotImplementedWithOutputsCleared) {
  void* const junk = reinterpret_cast<void*>(1);
  ITypeComp* comp = static_cast<ITypeComp*>(junk);
  EXPECT_EQ(script_->GetTypeComp(&comp), E_NOTIMPL);
  EXPECT_EQ(comp, nullptr);
  ITypeLib* lib = static_cast<ITypeLib*>(junk);
  UINT index = 9;
  EXPECT_EQ(script_->GetContainingTypeLib(&lib, &index), E_NOTIMPL);
  EXPECT_EQ(lib, nullptr);
  VARDESC* var = static_cast<VARDESC*>(junk);
  EXPECT_EQ(script_->GetVarDesc(0, &var), E_NOTIMPL);
  EXPECT_EQ(var, nullptr);
  void* object = junk;
  EXPECT_EQ(script_->CreateInstance(nullptr, IID_IDispatch, &object), E_NOTIMPL);
  EXPECT_EQ(object, nullptr);
  object = junk;
  EXPECT_EQ(script_->AddressOfMember(kAdd, INVOKE_FUNC, &object), E_NOTIMPL);
  EXPECT_EQ(object, nullptr);
  BSTR text = static_cast<BSTR>(junk);
  EXPECT_EQ(script_->GetMops(kAdd, &text), E_NOTIMPL);
  EXPECT_EQ(text, nullptr);
  BSTR dll = static_cast<BSTR>(junk);
  text = static_cast<BSTR>(junk);
  WORD ordinal = 3;
  EXPECT_EQ(script_->GetDllEntry(kAdd, INVOKE_FUNC, &dll, &text, &ordinal), E_NOTIMPL);
  EXPECT_EQ(dll, nullptr);
  EXPECT_EQ(text, nullptr);
  EXPECT_EQ(ordinal, 0);
  EXPECT_EQ(script_->GetTypeComp(nullptr), E_POINTER);
  EXPECT_EQ(script_->GetContainingTypeLib(nullptr, &index), E_POINTER);
  // A dispatch interface lists no implemented interfaces of its own.
  HREFTYPE ref = 5;
  EXPECT_EQ(script_->GetRefTypeOfImplType(0, &ref), TYPE_E_ELEMENTNOTFOUND);
  ITypeInfo* info = static_cast<ITypeInfo*>(junk);
  EXPECT_EQ(script_->GetRefTypeInfo(1, &info), TYPE_E_ELEMENTNOTFOUND);
  EXPECT_EQ(info, nullptr);
}

TEST_F(TypeInfo, TypeInfoOutlivesTheObjectAndKeepsTheModuleLoaded) {
  dispatch_.Reset();
  control_->Release();
  control_ = nullptr;
  EXPECT_FALSE(CanUnloadModule());
  EXPECT_EQ(NamesOf(script_.Get(), kAdd).front(), u"Add");
  EXPECT_EQ(FunctionAt(script_.Get(), 0).memid, kCount);
  script_.Reset();
  EXPECT_TRUE(CanUnloadModule());
  control_ = MakeObject<CTestControl>();  // for TearDown
}

TEST_F(TypeInfo, ClassInfoCreatesAControlThatSourcesItsEventInterface) {
  ComRef<ITypeInfo> info = ClassInfo();
  ASSERT_NE(info.Get(), nullptr);
  const TYPEATTR attr = AttributesOf(info.Get());
  EXPECT_EQ(attr.typekind, TKIND_COCLASS);
  EXPECT_EQ(attr.guid, CLSID_TestControl);
  EXPECT_EQ(attr.cImplTypes, 2);
  EXPECT_EQ(attr.cFuncs, 0);
  EXPECT_EQ(attr.wTypeFlags, TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL);
  EXPECT_EQ(TypeName(info.Get()), u"TestControl");

  int32_t flags = -1;
  EXPECT_EQ(info->GetImplTypeFlags(0, &flags), S_OK);
  EXPECT_EQ(flags, IMPLTYPEFLAG_FDEFAULT);
  EXPECT_EQ(info->GetImplTypeFlags(1, &flags), S_OK);
  EXPECT_EQ(flags, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE);
  EXPECT_EQ(info->GetImplTypeFlags(2, &flags), TYPE_E_ELEMENTNOTFOUND);
  EXPECT_EQ(info->GetImplTypeFlags(0, nullptr), E_POINTER);

  const std::pair<IID, WORD> expected[] = {
      {IID_ITestControl, TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE},
      {DIID_ITestControlEvents, TYPEFLAG_FDISPATCHABLE}};
  std::set<HREFTYPE> refs;
  for (UINT i = 0; i < 2; ++i) {
    HREFTYPE ref = 0;
    ASSERT_EQ(info->GetRefTypeOfImplType(i, &ref), S_OK);
    refs.insert(ref);
    ComRef<ITypeInfo> implemented;
    ASSERT_EQ(info->GetRefTypeInfo(ref, implemented.Out()), S_OK);
    const TYPEATTR implAttr = AttributesOf(implemented.Get());
    EXPECT_EQ(implAttr.typekind, TKIND_DISPATCH);
    EXPECT_EQ(implAttr.guid, expected[i].first);
    EXPECT_EQ(implAttr.wTypeFlags, expected[i].second);
  }
  EXPECT_EQ(refs.size(), 2u);
  HREFTYPE ref = 0;
  EXPECT_EQ(info->GetRefTypeOfImplType(2, &ref), TYPE_E_ELEMENTNOTFOUND);
  ComRef<ITypeInfo> none;
  for (HREFTYPE bogus : {HREFTYPE{0}, HREFTYPE{3}, HREFTYPE{0xFFFFFFFF}}) {
    if (refs.count(bogus) != 0) continue;
    EXPECT_EQ(info->GetRefTypeInfo(bogus, none.Out()), TYPE_E_ELEMENTNOTFOUND) << bogus;
    EXPECT_EQ(none.Get(), nullptr);
  }
  EXPECT_EQ(info->GetDocumentation(kAdd, nullptr, nullptr, nullptr, nullptr),
            TYPE_E_ELEMENTNOTFOUND);

  ComRef<IProvideClassInfo> provider;
  ASSERT_EQ(control_->QueryInterface(IID_IProvideClassInfo, provider.OutVoid()), S_OK);
  EXPECT_EQ(provider->GetClassInfo(nullptr), E_POINTER);
}

TEST_F(TypeInfo, EventInterfaceListsMethodsWithTheirInArguments) {
  ComRef<ITypeInfo> info = ClassInfo();
  HREFTYPE ref = 0;
  ASSERT_EQ(info->GetRefTypeOfImplType(1, &ref), S_OK);
  ComRef<ITypeInfo> events;
  ASSERT_EQ(info->GetRefTypeInfo(ref, events.Out()), S_OK);
  EXPECT_EQ(TypeName(events.Get()), u"_ITestControlEvents");
  EXPECT_EQ(AllFunctions(events.Get()),
            (std::vector<Function>{
                {kOnChanged, INVOKE_FUNC, {VT_I4, VT_BOOL, VT_BSTR}, {kIn, kIn, kIn}, VT_VOID},
                {kOnCleared, INVOKE_FUNC, {}, {}, VT_VOID}}));
  EXPECT_EQ(NamesOf(events.Get(), kOnChanged),
            (std::vector<std::u16string>{u"OnChanged", u"nCount", u"bEnabled", u"bstrName"}));
  EXPECT_EQ(NamesOf(events.Get(), kOnCleared), (std::vector<std::u16string>{u"OnCleared"}));
  LPOLESTR name = const_cast<LPOLESTR>(u"oncleared");
  MEMBERID id = 0;
  EXPECT_EQ(events->GetIDsOfNames(&name, 1, &id), S_OK);
  EXPECT_EQ(id, kOnCleared);
}

// An object whose class declares no type names offers no type information.
class CPlainObject : public ComObject<TableDispatch<CPlainObject, IID_ITestControl>> {
 public:
  static std::span<const DispatchMember<CPlainObject>> DispatchMembers() { return {}; }
};

TEST(TypeInfoUndeclared, NoTypeNamesMeansNoTypeInformation) {
  CPlainObject* object = MakeObject<CPlainObject>();
  ASSERT_NE(object, nullptr);
  UINT count = 7;
  EXPECT_EQ(object->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 0u);
  ITypeInfo* info = reinterpret_cast<ITypeInfo*>(1);
  EXPECT_EQ(object->GetTypeInfo(0, 0, &info), DISP_E_BADINDEX);
  EXPECT_EQ(info, nullptr);
  object->Release();
}

TEST(TypeDescription, AnEmptyInterfaceHasNoFunctionsAndItsName) {
  ComRef<ITypeInfo> info;
  ASSERT_EQ(CreateInterfaceTypeInfo({u"IEmpty", IID_ITestControl, InterfaceRole::kEvents, {}},
                                    info.Out()),
            S_OK);
  const TYPEATTR attr = AttributesOf(info.Get());
  EXPECT_EQ(attr.cFuncs, 0);
  EXPECT_EQ(attr.wTypeFlags, TYPEFLAG_FDISPATCHABLE);
  EXPECT_EQ(TypeName(info.Get()), u"IEmpty");
  FUNCDESC* desc = nullptr;
  EXPECT_EQ(info->GetFuncDesc(0, &desc), TYPE_E_ELEMENTNOTFOUND);
  EXPECT_EQ(
      CreateInterfaceTypeInfo({u"IEmpty", IID_ITestControl, InterfaceRole::kEvents, {}}, nullptr),
      E_POINTER);
}

}  // namespace
}  // namespace varn::com::testing
