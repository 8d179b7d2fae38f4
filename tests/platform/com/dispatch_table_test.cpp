#include <gtest/gtest.h>

#include <cmath>

#include "invoke_helpers.h"
#include "test_control.h"

namespace varn::com::testing {
namespace {

class DispatchTable : public ::testing::Test {
 protected:
  void SetUp() override {
    control_ = MakeObject<CTestControl>();
    ASSERT_NE(control_, nullptr);
    ASSERT_EQ(control_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch_)), S_OK);
  }
  void TearDown() override {
    dispatch_->Release();
    EXPECT_EQ(control_->Release(), 0u);
  }

  int32_t Count() {
    VARIANT result;
    EXPECT_EQ(Get(dispatch_, kCount, &result), S_OK);
    EXPECT_EQ(result.vt, VT_I4);
    return result.lVal;
  }

  CTestControl* control_ = nullptr;
  IDispatch* dispatch_ = nullptr;
};

TEST_F(DispatchTable, ScriptInterfaceAndDispatchAreOneInterface) {
  void* script = nullptr;
  ASSERT_EQ(control_->QueryInterface(IID_ITestControl, &script), S_OK);
  EXPECT_EQ(script, dispatch_);
  static_cast<IUnknown*>(script)->Release();
  UINT count = 7;
  EXPECT_EQ(dispatch_->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
}

TEST_F(DispatchTable, NamesMatchWithoutRegardToCase) {
  for (auto [name, expected] : {std::pair<const char16_t*, DISPID>{u"COUNT", kCount},
                                {u"name", kName},
                                {u"fIrEcHaNgEd", kFireChanged}}) {
    DISPID dispid = 0;
    LPOLESTR asked = const_cast<LPOLESTR>(name);
    EXPECT_EQ(dispatch_->GetIDsOfNames(IID_NULL, &asked, 1, 0, &dispid), S_OK);
    EXPECT_EQ(dispid, expected);
  }
}

TEST_F(DispatchTable, UnknownNamesGiveUnknownDispid) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(u"counter"), const_cast<LPOLESTR>(u"x")};
  DISPID dispids[2] = {5, 5};
  EXPECT_EQ(dispatch_->GetIDsOfNames(IID_NULL, names, 1, 0, dispids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(dispids[0], DISPID_UNKNOWN);
  // A known member with an argument name we cannot resolve.
  names[0] = const_cast<LPOLESTR>(u"add");
  EXPECT_EQ(dispatch_->GetIDsOfNames(IID_NULL, names, 2, 0, dispids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(dispids[0], kAdd);
  EXPECT_EQ(dispids[1], DISPID_UNKNOWN);
  names[0] = const_cast<LPOLESTR>(u"coun");  // a prefix is not a match
  EXPECT_EQ(dispatch_->GetIDsOfNames(IID_NULL, names, 1, 0, dispids), DISP_E_UNKNOWNNAME);
}

TEST_F(DispatchTable, PutThenGetEachType) {
  EXPECT_EQ(Put(dispatch_, kCount, I4(42)), S_OK);
  EXPECT_EQ(Count(), 42);

  VARIANT flag = Typed(VT_BOOL);
  flag.boolVal = VARIANT_TRUE;
  EXPECT_EQ(Put(dispatch_, kEnabled, flag), S_OK);
  VARIANT result;
  EXPECT_EQ(Get(dispatch_, kEnabled, &result), S_OK);
  EXPECT_EQ(result.vt, VT_BOOL);
  EXPECT_EQ(result.boolVal, VARIANT_TRUE);

  Variant text = Variant::FromText(u"hello");
  EXPECT_EQ(Put(dispatch_, kName, text.Value()), S_OK);
  EXPECT_EQ(Get(dispatch_, kName, &result), S_OK);
  ASSERT_EQ(result.vt, VT_BSTR);
  EXPECT_EQ(BstrView(result.bstrVal), u"hello");
  EXPECT_NE(result.bstrVal, text.Value().bstrVal);  // the caller's string stays the caller's
  VariantClear(&result);
}

TEST_F(DispatchTable, StringsKeepNullApartFromEmpty) {
  VARIANT result;
  EXPECT_EQ(Get(dispatch_, kName, &result), S_OK);
  EXPECT_EQ(result.vt, VT_BSTR);
  EXPECT_EQ(result.bstrVal, nullptr);

  Variant empty = Variant::FromText(u"");
  EXPECT_EQ(Put(dispatch_, kName, empty.Value()), S_OK);
  EXPECT_EQ(Get(dispatch_, kName, &result), S_OK);
  EXPECT_NE(result.bstrVal, nullptr);
  EXPECT_EQ(SysStringLen(result.bstrVal), 0u);
  VariantClear(&result);

  for (VARTYPE absent : {VT_EMPTY, VT_NULL}) {
    EXPECT_EQ(Put(dispatch_, kName, Typed(absent)), S_OK);
    EXPECT_EQ(Get(dispatch_, kName, &result), S_OK);
    EXPECT_EQ(result.vt, VT_BSTR);
    EXPECT_EQ(result.bstrVal, nullptr);
  }
}

TEST_F(DispatchTable, GetterValueIsDroppedWithoutResult) {
  Variant text = Variant::FromText(u"dropped, not leaked");
  ASSERT_EQ(Put(dispatch_, kName, text.Value()), S_OK);
  EXPECT_EQ(Get(dispatch_, kName, nullptr), S_OK);
}

TEST_F(DispatchTable, GetterAnsweringFalseLeavesResultEmpty) {
  ASSERT_EQ(Put(dispatch_, kCount, I4(-1)), S_OK);
  VARIANT result = I4(99);
  EXPECT_EQ(Get(dispatch_, kOptional, &result), S_FALSE);
  EXPECT_EQ(result.vt, VT_EMPTY);
  ASSERT_EQ(Put(dispatch_, kCount, I4(1)), S_OK);
  EXPECT_EQ(Get(dispatch_, kOptional, &result), S_OK);
  EXPECT_EQ(BstrView(result.bstrVal), u"present");
  VariantClear(&result);
}

TEST_F(DispatchTable, MemberResultsPassThrough) {
  EXPECT_EQ(Call(dispatch_, kCheck, DISPATCH_METHOD, {I4(-5)}), E_INVALIDARG);
  EXPECT_EQ(Call(dispatch_, kCheck, DISPATCH_METHOD, {I4(0)}), S_FALSE);
  EXPECT_EQ(Call(dispatch_, kCheck, DISPATCH_METHOD, {I4(3)}), S_OK);
}

TEST_F(DispatchTable, ScriptEnginesMayCallWithMethodAndGetTogether) {
  constexpr WORD kBoth = DISPATCH_METHOD | DISPATCH_PROPERTYGET;
  ASSERT_EQ(Put(dispatch_, kCount, I4(8)), S_OK);
  VARIANT result;
  EXPECT_EQ(Call(dispatch_, kCount, kBoth, {}, &result), S_OK);
  EXPECT_EQ(result.lVal, 8);
  EXPECT_EQ(Call(dispatch_, kCheck, kBoth, {I4(0)}), S_FALSE);
  // A method is not a property, nor a property a method.
  EXPECT_EQ(Call(dispatch_, kCheck, DISPATCH_PROPERTYGET, {I4(0)}), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Call(dispatch_, kCount, DISPATCH_METHOD, {}), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Put(dispatch_, kOptional, I4(1)), DISP_E_MEMBERNOTFOUND);
}

TEST_F(DispatchTable, OutParametersOfEachKind) {
  int32_t sum = -1;
  EXPECT_EQ(Call(dispatch_, kAdd, DISPATCH_METHOD, {I4(2), I4(40), ByRef(VT_I4, &sum)}), S_OK);
  EXPECT_EQ(sum, 42);

  ASSERT_EQ(Put(dispatch_, kCount, I4(7)), S_OK);
  // Whatever the out string held is ignored, never freed.
  BSTR text = reinterpret_cast<BSTR>(0x1);
  VARIANT_BOOL hasName = VARIANT_TRUE;
  EXPECT_EQ(Call(dispatch_, kDescribe, DISPATCH_METHOD,
                 {ByRef(VT_BSTR, &text), ByRef(VT_BOOL, &hasName)}),
            S_OK);
  EXPECT_EQ(BstrView(text), u"count 7");
  EXPECT_EQ(hasName, VARIANT_FALSE);
  SysFreeString(text);
}

TEST_F(DispatchTable, OutParametersThroughVariantReferences) {
  VARIANT sum = I4(0);
  int32_t direct = 0;
  VARIANT holder = ByRef(VT_I4, &direct);
  // A script engine passes a variable by reference: the variant gets the value.
  EXPECT_EQ(Call(dispatch_, kAdd, DISPATCH_METHOD, {I4(1), I4(2), ByRef(VT_VARIANT, &sum)}), S_OK);
  EXPECT_EQ(sum.vt, VT_I4);
  EXPECT_EQ(sum.lVal, 3);
  // A variant reference wrapping the typed reference writes through it.
  EXPECT_EQ(Call(dispatch_, kAdd, DISPATCH_METHOD, {I4(1), I4(4), ByRef(VT_VARIANT, &holder)}),
            S_OK);
  EXPECT_EQ(direct, 5);

  VARIANT text = Typed(VT_EMPTY);
  VARIANT flag = Typed(VT_EMPTY);
  EXPECT_EQ(Call(dispatch_, kDescribe, DISPATCH_METHOD,
                 {ByRef(VT_VARIANT, &text), ByRef(VT_VARIANT, &flag)}),
            S_OK);
  EXPECT_EQ(text.vt, VT_BSTR);
  EXPECT_EQ(BstrView(text.bstrVal), u"count 0");
  EXPECT_EQ(flag.vt, VT_BOOL);
  VariantClear(&text);
}

TEST_F(DispatchTable, OutParameterMustBeAReference) {
  UINT argErr = 99;
  int32_t sum = 0;
  EXPECT_EQ(Call(dispatch_, kAdd, DISPATCH_METHOD, {I4(1), I4(2), I4(3)}, nullptr, &argErr),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr, 0u);  // the last argument stands first
  EXPECT_EQ(Call(dispatch_, kAdd, DISPATCH_METHOD, {I4(1), I4(2), ByRef(VT_BOOL, &sum)}),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Call(dispatch_, kAdd, DISPATCH_METHOD, {I4(1), I4(2), ByRef(VT_I4, nullptr)}),
            E_POINTER);
}

TEST_F(DispatchTable, UnknownDispidAndWrongCounts) {
  VARIANT result = I4(5);
  EXPECT_EQ(Call(dispatch_, 77, DISPATCH_METHOD, {}, &result), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(result.vt, VT_EMPTY);
  int32_t sum = 0;
  EXPECT_EQ(Call(dispatch_, kAdd, DISPATCH_METHOD, {I4(1), ByRef(VT_I4, &sum)}),
            DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(Call(dispatch_, kCheck, DISPATCH_METHOD, {}), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(Call(dispatch_, kCount, DISPATCH_PROPERTYGET, {I4(1)}, &result), DISP_E_BADPARAMCOUNT);
  VARIANT two[2] = {I4(1), I4(2)};
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{two, &named, 2, 1};
  EXPECT_EQ(dispatch_->Invoke(kCount, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                              nullptr),
            DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(dispatch_->Invoke(kCount, IID_ITestControl, 0, DISPATCH_PROPERTYGET, nullptr, &result,
                              nullptr, nullptr),
            DISP_E_UNKNOWNINTERFACE);
}

TEST_F(DispatchTable, NamedArgumentsOnlyForThePutValue) {
  VARIANT value = I4(3);
  DISPID named = 17;
  DISPPARAMS params{&value, &named, 1, 1};
  EXPECT_EQ(dispatch_->Invoke(kCount, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                              nullptr),
            DISP_E_PARAMNOTFOUND);
  named = DISPID_PROPERTYPUT;
  EXPECT_EQ(
      dispatch_->Invoke(kCheck, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
      DISP_E_NONAMEDARGS);
  EXPECT_EQ(Count(), 0);
}

TEST_F(DispatchTable, NumbersAreConvertedToTheMemberType) {
  VARIANT value = Typed(VT_I2);
  value.iVal = -12;
  EXPECT_EQ(Put(dispatch_, kCount, value), S_OK);
  EXPECT_EQ(Count(), -12);

  value = Typed(VT_BOOL);
  value.boolVal = VARIANT_TRUE;
  EXPECT_EQ(Put(dispatch_, kCount, value), S_OK);
  EXPECT_EQ(Count(), -1);

  value = Typed(VT_UI4);
  value.ulVal = 2147483647u;
  EXPECT_EQ(Put(dispatch_, kCount, value), S_OK);
  EXPECT_EQ(Count(), 2147483647);

  value = Typed(VT_INT);
  value.intVal = 77;
  EXPECT_EQ(Put(dispatch_, kCount, value), S_OK);
  EXPECT_EQ(Count(), 77);

  // Doubles round half to even, as the platform's coercion does.
  value = Typed(VT_R8);
  for (auto [number, expected] : {std::pair{2.5, 2}, {3.5, 4}, {-2.5, -2}, {7.4, 7}}) {
    value.dblVal = number;
    EXPECT_EQ(Put(dispatch_, kCount, value), S_OK);
    EXPECT_EQ(Count(), expected) << number;
  }

  Variant text = Variant::FromText(u" -17 ");
  EXPECT_EQ(Put(dispatch_, kCount, text.Value()), S_OK);
  EXPECT_EQ(Count(), -17);

  value = Typed(VT_I4);
  value.lVal = 5;
  VARIANT reference = ByRef(VT_VARIANT, &value);
  EXPECT_EQ(Put(dispatch_, kCount, reference), S_OK);
  EXPECT_EQ(Count(), 5);

  value = Typed(VT_I2);
  value.iVal = 3;
  VARIANT_BOOL flag = VARIANT_FALSE;
  EXPECT_EQ(Put(dispatch_, kEnabled, value), S_OK);
  EXPECT_EQ(control_->get_enabled(&flag), S_OK);
  EXPECT_EQ(flag, VARIANT_TRUE);

  Variant number = Variant::FromInt(-3);
  EXPECT_EQ(Put(dispatch_, kName, number.Value()), S_OK);
  VARIANT result;
  EXPECT_EQ(Get(dispatch_, kName, &result), S_OK);
  EXPECT_EQ(BstrView(result.bstrVal), u"-3");
  VariantClear(&result);
}

TEST_F(DispatchTable, ValuesThatDoNotFitAreRefused) {
  ASSERT_EQ(Put(dispatch_, kCount, I4(9)), S_OK);
  UINT argErr = 99;
  VARIANT value = Typed(VT_R8);
  for (double number : {3e9, -2147483649.0, std::nan("")}) {
    value.dblVal = number;
    EXPECT_EQ(Put(dispatch_, kCount, value), DISP_E_OVERFLOW) << number;
  }
  value = Typed(VT_UI4);
  value.ulVal = 0x80000000u;
  EXPECT_EQ(Put(dispatch_, kCount, value), DISP_E_OVERFLOW);
  Variant text = Variant::FromText(u"12a");
  EXPECT_EQ(Put(dispatch_, kCount, text.Value(), &argErr), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr, 0u);
  EXPECT_EQ(Put(dispatch_, kCount, Typed(VT_NULL)), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Count(), 9);

  int32_t sum = 0;
  argErr = 99;
  VARIANT unknown = Typed(VT_UNKNOWN);
  EXPECT_EQ(Call(dispatch_, kAdd, DISPATCH_METHOD, {I4(1), unknown, ByRef(VT_I4, &sum)}, nullptr,
                 &argErr),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr, 1u);
}

TEST(DispatchRows, DescribeMembersForATypeLibrary) {
  std::span<const DispatchMember<CTestControl>> rows = CTestControl::DispatchMembers();
  const MemberInfo* add = nullptr;
  const MemberInfo* nameGet = nullptr;
  const MemberInfo* describe = nullptr;
  for (const DispatchMember<CTestControl>& row : rows) {
    if (row.info.dispid == kAdd) add = &row.info;
    if (row.info.dispid == kName && row.info.kind == MemberKind::kPropertyGet) nameGet = &row.info;
    if (row.info.dispid == kDescribe) describe = &row.info;
  }
  ASSERT_TRUE(add && nameGet && describe);
  EXPECT_EQ(add->argCount, 3);
  EXPECT_EQ(add->argTypes[0], VT_I4);
  EXPECT_EQ(add->argTypes[2], VT_BYREF | VT_I4);
  EXPECT_EQ(std::u16string_view(add->argNames[2]), u"sum");
  EXPECT_EQ(add->resultType, VT_EMPTY);
  EXPECT_EQ(nameGet->argCount, 0);
  EXPECT_EQ(nameGet->resultType, VT_BSTR);
  EXPECT_EQ(describe->argTypes[0], VT_BYREF | VT_BSTR);
  EXPECT_EQ(describe->argTypes[1], VT_BYREF | VT_BOOL);
  EXPECT_EQ(describe->argNames[0], nullptr);
}

TEST_F(DispatchTable, ExhaustedMemoryIsAnErrorNotAnException) {
  EXPECT_EQ(Call(dispatch_, kExhaust, DISPATCH_METHOD, {}), E_OUTOFMEMORY);
}

}  // namespace
}  // namespace varn::com::testing
