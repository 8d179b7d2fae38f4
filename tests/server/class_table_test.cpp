#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/com/connection_point.h"
#include "platform/com/dispatch.h"
#include "platform/com/identifiers.h"
#include "server/class_table.h"
#include "server/exports.h"

namespace varn::server {
namespace {

// {6F1A2C3D-0000-4000-8000-00000000B001}
constexpr CLSID kUnknownClass{
    0x6F1A2C3D, 0x0000, 0x4000, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0xB0, 0x01}};

TEST(DllGetClassObject, UnknownClassIsNotAvailable) {
  void* object = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(DllGetClassObject(kUnknownClass, IID_IClassFactory, &object),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(DllGetClassObject(CLSID_BlogActiveXPackage, IID_IClassFactory, nullptr), E_POINTER);
}

TEST(DllGetClassObject, ClassObjectIsKeptAndHandedOutAgain) {
  IClassFactory* first = nullptr;
  IClassFactory* second = nullptr;
  ASSERT_EQ(DllGetClassObject(CLSID_BlogActiveXPackage, IID_IClassFactory,
                              reinterpret_cast<void**>(&first)),
            S_OK);
  ASSERT_EQ(
      DllGetClassObject(CLSID_BlogActiveXPackage, IID_IUnknown, reinterpret_cast<void**>(&second)),
      S_OK);
  EXPECT_EQ(static_cast<IUnknown*>(first), static_cast<IUnknown*>(second));
  void* wrong = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(first->QueryInterface(IID_IDispatch, &wrong), E_NOINTERFACE);
  EXPECT_EQ(wrong, nullptr);
  first->Release();
  second->Release();
}

TEST(DllGetClassObject, PackageIsAMemberlessAutomationObject) {
  IClassFactory* factory = nullptr;
  ASSERT_EQ(DllGetClassObject(CLSID_BlogActiveXPackage, IID_IClassFactory,
                              reinterpret_cast<void**>(&factory)),
            S_OK);
  IDispatch* package = nullptr;
  ASSERT_EQ(
      factory->CreateInstance(nullptr, IID_IBlogActiveXPackage, reinterpret_cast<void**>(&package)),
      S_OK);
  LPOLESTR name = const_cast<LPOLESTR>(u"anything");
  DISPID dispid = 0;
  EXPECT_EQ(package->GetIDsOfNames(IID_NULL, &name, 1, 0, &dispid), DISP_E_UNKNOWNNAME);
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  EXPECT_EQ(package->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
            DISP_E_MEMBERNOTFOUND);
  void* other = nullptr;
  EXPECT_EQ(package->QueryInterface(IID_IConnectionPointContainer, &other), E_NOINTERFACE);
  package->Release();
  factory->Release();
}

TEST(DllCanUnloadNow, CountsLiveObjectsAndServerLocksNotClassObjects) {
  IClassFactory* factory = nullptr;
  ASSERT_EQ(DllGetClassObject(CLSID_BlogActiveXPackage, IID_IClassFactory,
                              reinterpret_cast<void**>(&factory)),
            S_OK);
  EXPECT_EQ(DllCanUnloadNow(), S_OK);  // a class object alone does not count

  IUnknown* object = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&object)),
            S_OK);
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
  object->Release();
  EXPECT_EQ(DllCanUnloadNow(), S_OK);

  // An interface the object does not have: the new object goes away at once.
  void* refused = nullptr;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &refused), E_NOINTERFACE);
  EXPECT_EQ(refused, nullptr);
  EXPECT_EQ(DllCanUnloadNow(), S_OK);

  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
  factory->Release();
}

int gCreated = 0;
HRESULT CountingCreator(REFIID, void** object) {
  ++gCreated;
  *object = nullptr;
  return E_NOINTERFACE;
}

TEST(ClassObjectTable, FirstRequestsFromManyThreadsShareOneClassObject) {
  const ClassEntry entries[] = {{kUnknownClass, &CountingCreator}};
  ClassObjectTable table(entries);
  std::vector<IUnknown*> seen(8, nullptr);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < seen.size(); ++i) {
    threads.emplace_back([&table, &seen, i] {
      table.GetClassObject(kUnknownClass, IID_IUnknown, reinterpret_cast<void**>(&seen[i]));
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (IUnknown* object : seen) {
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object, seen[0]);
  }
  for (IUnknown* object : seen) object->Release();

  IClassFactory* factory = nullptr;
  ASSERT_EQ(
      table.GetClassObject(kUnknownClass, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
      S_OK);
  void* made = nullptr;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, &made), E_NOINTERFACE);
  EXPECT_EQ(gCreated, 1);
  factory->Release();
}

}  // namespace
}  // namespace varn::server
