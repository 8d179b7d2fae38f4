#include <gtest/gtest.h>

#include "platform/com/ole_object.h"
#include "test_control.h"

namespace varn::com::testing {
namespace {

class ObjectSafetyOptions : public ::testing::Test {
 protected:
  void SetUp() override {
    control_ = MakeObject<CTestControl>();
    ASSERT_EQ(control_->QueryInterface(IID_IObjectSafety, reinterpret_cast<void**>(&safety_)),
              S_OK);
  }
  void TearDown() override {
    safety_->Release();
    EXPECT_EQ(control_->Release(), 0u);
  }

  CTestControl* control_ = nullptr;
  IObjectSafety* safety_ = nullptr;
  DWORD supported_ = 77;
  DWORD enabled_ = 77;
};

TEST_F(ObjectSafetyOptions, DispatchSupportsCallerSafetyNotYetEnabled) {
  EXPECT_EQ(safety_->GetInterfaceSafetyOptions(IID_IDispatch, &supported_, &enabled_), S_OK);
  EXPECT_EQ(supported_, INTERFACESAFE_FOR_UNTRUSTED_CALLER);
  EXPECT_EQ(enabled_, 0u);
  EXPECT_EQ(safety_->GetInterfaceSafetyOptions(IID_IPersistStreamInit, &supported_, &enabled_),
            S_OK);
  EXPECT_EQ(supported_, INTERFACESAFE_FOR_UNTRUSTED_DATA);
  EXPECT_EQ(enabled_, 0u);
}

TEST_F(ObjectSafetyOptions, BitOnceSetIsNeverCleared) {
  EXPECT_EQ(safety_->SetInterfaceSafetyOptions(IID_IDispatch, 1, 1), S_OK);
  EXPECT_EQ(safety_->GetInterfaceSafetyOptions(IID_IDispatch, &supported_, &enabled_), S_OK);
  EXPECT_EQ(enabled_, 1u);
  EXPECT_EQ(safety_->SetInterfaceSafetyOptions(IID_IDispatch, 1, 0), S_OK);
  EXPECT_EQ(safety_->GetInterfaceSafetyOptions(IID_IDispatch, &supported_, &enabled_), S_OK);
  EXPECT_EQ(enabled_, 1u);
  // The data bit is still unset: IPersistStreamInit enables nothing.
  EXPECT_EQ(safety_->GetInterfaceSafetyOptions(IID_IPersistStreamInit, &supported_, &enabled_),
            S_OK);
  EXPECT_EQ(enabled_, 0u);
}

TEST_F(ObjectSafetyOptions, OptionsOutsideTheMaskAreIgnored) {
  EXPECT_EQ(safety_->SetInterfaceSafetyOptions(IID_IDispatch, 2, 3), E_FAIL);
  EXPECT_EQ(control_->SafetyOptions(), 2u);
  EXPECT_EQ(safety_->SetInterfaceSafetyOptions(IID_IPersistStreamInit, 2, 2), S_OK);
  EXPECT_EQ(safety_->SetInterfaceSafetyOptions(IID_IDispatch, 0, 1), E_FAIL);
  EXPECT_EQ(control_->SafetyOptions(), 2u);
}

TEST_F(ObjectSafetyOptions, RefusedRequests) {
  EXPECT_EQ(safety_->SetInterfaceSafetyOptions(IID_IDispatch, 0, 0), E_FAIL);
  EXPECT_EQ(safety_->GetInterfaceSafetyOptions(IID_IDispatch, nullptr, &enabled_), E_FAIL);
  EXPECT_EQ(safety_->GetInterfaceSafetyOptions(IID_IDispatch, &supported_, nullptr), E_FAIL);

  // An interface the control does not implement.
  EXPECT_EQ(safety_->GetInterfaceSafetyOptions(IID_IPersistStorage, &supported_, &enabled_),
            E_NOINTERFACE);
  EXPECT_EQ(safety_->SetInterfaceSafetyOptions(IID_IPersistStorage, 2, 2), E_NOINTERFACE);
  EXPECT_EQ(control_->SafetyOptions(), 0u);

  // An implemented interface that carries no safety.
  EXPECT_EQ(safety_->GetInterfaceSafetyOptions(IID_IConnectionPointContainer, &supported_,
                                               &enabled_),
            E_FAIL);
  EXPECT_EQ(supported_, 0u);
  EXPECT_EQ(enabled_, 0u);
  EXPECT_EQ(safety_->SetInterfaceSafetyOptions(IID_IConnectionPointContainer, 1, 1), E_FAIL);
  // Its request still set the bit, which IDispatch then reports.
  EXPECT_EQ(safety_->GetInterfaceSafetyOptions(IID_IDispatch, &supported_, &enabled_), S_OK);
  EXPECT_EQ(enabled_, 1u);
}

TEST(ClassInformation, DefaultSourceIsTheEventInterface) {
  CTestControl* control = MakeObject<CTestControl>();
  IProvideClassInfo2* info = nullptr;
  ASSERT_EQ(control->QueryInterface(IID_IProvideClassInfo2, reinterpret_cast<void**>(&info)),
            S_OK);
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
