#include <gtest/gtest.h>

#include <new>

#include "platform/com/class_factory.h"
#include "test_control.h"

namespace varn::com::testing {
namespace {

class ExhaustingObject : public ComObject<IUnknown> {
 public:
  ExhaustingObject() { throw std::bad_alloc(); }
};

ClassFactory* NewFactory(ObjectCreator create) { return MakeObject<ClassFactory>(create); }

TEST(ClassFactory, RefusesAggregation) {
  ClassFactory* factory = NewFactory(&CreateObject<CTestControl>);
  void* object = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(factory->CreateInstance(factory, IID_IUnknown, &object), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(object, nullptr);
  EXPECT_TRUE(CanUnloadModule());
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);
  factory->Release();
}

TEST(ClassFactory, CreatesObjectsThatCountForTheModule) {
  ClassFactory* factory = NewFactory(&CreateObject<CTestControl>);
  EXPECT_TRUE(CanUnloadModule());  // the factory itself does not count
  IDispatch* control = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_ITestControl, reinterpret_cast<void**>(&control)),
            S_OK);
  EXPECT_FALSE(CanUnloadModule());
  control->Release();
  EXPECT_TRUE(CanUnloadModule());
  factory->Release();
}

TEST(ClassFactory, ExhaustedMemoryInAConstructorIsReported) {
  ClassFactory* factory = NewFactory(&CreateObject<ExhaustingObject>);
  void* object = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, &object), E_OUTOFMEMORY);
  EXPECT_EQ(object, nullptr);
  EXPECT_TRUE(CanUnloadModule());
  factory->Release();
}

TEST(ClassFactory, ServerLocksKeepTheModule) {
  ClassFactory* factory = NewFactory(&CreateObject<CTestControl>);
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  EXPECT_FALSE(CanUnloadModule());
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  EXPECT_FALSE(CanUnloadModule());
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  EXPECT_TRUE(CanUnloadModule());
  // An unlock too many must not hide a later object.
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  IUnknown* object = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&object)),
            S_OK);
  EXPECT_FALSE(CanUnloadModule());
  object->Release();
  factory->Release();
}

}  // namespace
}  // namespace varn::com::testing
