// Loads the built module as a host does and uses it only through its exports.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "platform/com/dispatch.h"
#include "platform/com/identifiers.h"

namespace {

class LoadedModule : public ::testing::Test {
 protected:
  void SetUp() override {
    // Kept mapped after dlclose: Qt's core library, which the module pulls in,
    // leaves a small allocation behind when it is unloaded.
    handle_ = dlopen(VARN_MODULE_PATH, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    ASSERT_NE(handle_, nullptr) << dlerror();
  }
  void TearDown() override {
    if (handle_ != nullptr) dlclose(handle_);
  }

  template <typename F>
  F* Lookup(const char* name) {
    return reinterpret_cast<F*>(dlsym(handle_, name));
  }

  void* handle_ = nullptr;
};

TEST_F(LoadedModule, CreatesAnObjectThroughTheExports) {
  auto* getClassObject = Lookup<HRESULT(REFCLSID, REFIID, void**)>("DllGetClassObject");
  auto* canUnloadNow = Lookup<HRESULT()>("DllCanUnloadNow");
  ASSERT_NE(getClassObject, nullptr);
  ASSERT_NE(canUnloadNow, nullptr);

  IClassFactory* factory = nullptr;
  ASSERT_EQ(getClassObject(CLSID_BlogActiveXPackage, IID_IClassFactory,
                           reinterpret_cast<void**>(&factory)),
            S_OK);
  IDispatch* package = nullptr;
  EXPECT_EQ(factory->CreateInstance(factory, IID_IDispatch, reinterpret_cast<void**>(&package)),
            CLASS_E_NOAGGREGATION);
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&package)),
            S_OK);
  EXPECT_EQ(canUnloadNow(), S_FALSE);
  UINT count = 9;
  EXPECT_EQ(package->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
  package->Release();
  factory->Release();
  EXPECT_EQ(canUnloadNow(), S_OK);
}

TEST_F(LoadedModule, DrawingBoardAnswersThroughItsScriptingInterface) {
  auto* getClassObject = Lookup<HRESULT(REFCLSID, REFIID, void**)>("DllGetClassObject");
  auto* canUnloadNow = Lookup<HRESULT()>("DllCanUnloadNow");
  ASSERT_TRUE(getClassObject && canUnloadNow);

  IClassFactory* factory = nullptr;
  ASSERT_EQ(
      getClassObject(CLSID_DrawingControl, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
      S_OK);
  IDispatch* board = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDrawingControl, reinterpret_cast<void**>(&board)),
            S_OK);
  factory->Release();
  EXPECT_EQ(canUnloadNow(), S_FALSE);

  OLECHAR name[] = u"IMAGEWIDTH";
  LPOLESTR names[] = {name};
  DISPID dispid = 0;
  ASSERT_EQ(board->GetIDsOfNames(IID_NULL, names, 1, 0, &dispid), S_OK);
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  VARIANT width{};
  ASSERT_EQ(
      board->Invoke(dispid, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &width, nullptr, nullptr),
      S_OK);
  EXPECT_EQ(width.vt, VT_I4);
  EXPECT_EQ(width.lVal, 300);

  EXPECT_EQ(board->Release(), 0u);
  EXPECT_EQ(canUnloadNow(), S_OK);
}

TEST_F(LoadedModule, StringsAndVariantsUseTheModulesAllocator) {
  auto* allocLen = Lookup<BSTR(const OLECHAR*, UINT)>("SysAllocStringLen");
  auto* byteLen = Lookup<UINT(BSTR)>("SysStringByteLen");
  auto* variantInit = Lookup<void(VARIANT*)>("VariantInit");
  auto* variantCopy = Lookup<HRESULT(VARIANT*, const VARIANT*)>("VariantCopy");
  auto* variantClear = Lookup<HRESULT(VARIANT*)>("VariantClear");
  ASSERT_TRUE(allocLen && byteLen && variantInit && variantCopy && variantClear);

  VARIANT source;
  variantInit(&source);
  source.vt = VT_BSTR;
  source.bstrVal = allocLen(u"abc", 3);
  EXPECT_EQ(byteLen(source.bstrVal), 6u);
  VARIANT copy;
  variantInit(&copy);
  ASSERT_EQ(variantCopy(&copy, &source), S_OK);
  EXPECT_EQ(std::u16string_view(copy.bstrVal, 3), u"abc");
  EXPECT_EQ(variantClear(&copy), S_OK);
  EXPECT_EQ(variantClear(&source), S_OK);
}

TEST_F(LoadedModule, HidesEverythingElse) {
  EXPECT_EQ(dlsym(handle_, "_ZN4varn3com15CanUnloadModuleEv"), nullptr);
}

}  // namespace
