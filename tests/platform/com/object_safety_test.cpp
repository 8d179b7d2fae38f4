#include <gtest/gtest.h>

#include "platform/com/persist.h"
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
  EXPECT_EQ(
      safety_->GetInterfaceSafetyOptions(IID_IConnectionPointContainer, &supported_, &enabled_),
      E_FAIL);
  EXPECT_EQ(supported_, 0u);
  EXPECT_EQ(enabled_, 0u);
  EXPECT_EQ(safety_->SetInterfaceSafetyOptions(IID_IConnectionPointContainer, 1, 1), E_FAIL);
  // Its request still set the bit, which IDispatch then reports.
  EXPECT_EQ(safety_->GetInterfaceSafetyOptions(IID_IDispatch, &supported_, &enabled_), S_OK);
  EXPECT_EQ(enabled_, 1u);
}

}  // namespace
}  // namespace varn::com::testing
