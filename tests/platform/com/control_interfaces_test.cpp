// The interfaces a control answers besides scripting and safety: class
// information, error information and property pages, and one identity
// behind them all.
#include <gtest/gtest.h>

#include "platform/com/ole_object.h"
#include "test_control.h"

namespace varn::com::testing {
namespace {

TEST(ClassInformation, DefaultSourceIsTheEventInterface) {
  CTestControl* control = MakeObject<CTestControl>();
  IProvideClassInfo2* info = nullptr;
  ASSERT_EQ(control->QueryInterface(IID_IProvideClassInfo2, reinterpret_cast<void**>(&info)), S_OK);
  void* older = nullptr;
  ASSERT_EQ(control->QueryInterface(IID_IProvideClassInfo, &older), S_OK);
  EXPECT_EQ(older, static_cast<IProvideClassInfo*>(info));
  static_cast<IUnknown*>(older)->Release();

  GUID guid{};
  EXPECT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &guid), S_OK);
  EXPECT_EQ(guid, DIID_ITestControlEvents);
  EXPECT_EQ(info->GetGUID(2, &guid), E_INVALIDARG);
  EXPECT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, nullptr), E_POINTER);
  info->Release();
  EXPECT_EQ(control->Release(), 0u);
}

TEST(ControlExtras, StandardAnswers) {
  CTestControl* control = MakeObject<CTestControl>();
  ISupportErrorInfo* errors = nullptr;
  ASSERT_EQ(control->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&errors)),
            S_OK);
  EXPECT_EQ(errors->InterfaceSupportsErrorInfo(IID_ITestControl), S_OK);
  EXPECT_EQ(errors->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
  errors->Release();
  ISpecifyPropertyPages* pages = nullptr;
  ASSERT_EQ(control->QueryInterface(IID_ISpecifyPropertyPages, reinterpret_cast<void**>(&pages)),
            S_OK);
  CAUUID list{5, reinterpret_cast<GUID*>(0x1)};
  EXPECT_EQ(pages->GetPages(&list), S_OK);
  EXPECT_EQ(list.cElems, 0u);
  EXPECT_EQ(list.pElems, nullptr);
  pages->Release();
  EXPECT_EQ(control->Release(), 0u);
}

TEST(ObjectIdentity, EveryInterfaceAnswersTheSameUnknown) {
  CTestControl* control = MakeObject<CTestControl>();
  for (const IID* iid : {&IID_IDispatch, &IID_IPersist, &IID_IPersistStreamInit,
                         &IID_IConnectionPointContainer, &IID_IObjectSafety}) {
    IUnknown* through = nullptr;
    ASSERT_EQ(control->QueryInterface(*iid, reinterpret_cast<void**>(&through)), S_OK);
    IUnknown* identity = nullptr;
    ASSERT_EQ(through->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
    EXPECT_EQ(identity, control->Identity());
    identity->Release();
    through->Release();
  }
  void* none = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(control->QueryInterface(IID_IOleObject, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(control->QueryInterface(IID_IDispatch, nullptr), E_POINTER);
  EXPECT_EQ(control->Release(), 0u);
}

}  // namespace
}  // namespace varn::com::testing
