// A third-party host built against the installed header only: it loads the
// module, asks for a control's class object and checks the shared layouts.
#include <dlfcn.h>
#include <varnpostingtool/host.h>

#include <cstdio>

int main(int argc, char** argv) {
  static_assert(sizeof(VARIANT) == 24 && sizeof(GUID) == 16, "Windows x86-64 layouts");
  if (argc != 2) return 2;
  void* module = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    std::printf("cannot load: %s\n", dlerror());
    return 1;
  }
  auto getClassObject =
      reinterpret_cast<DllGetClassObjectFunction>(dlsym(module, "DllGetClassObject"));
  auto canUnloadNow = reinterpret_cast<DllCanUnloadNowFunction>(dlsym(module, "DllCanUnloadNow"));
  if (getClassObject == nullptr || canUnloadNow == nullptr) return 1;
  IClassFactory* factory = nullptr;
  const HRESULT got = getClassObject(CLSID_ProfileImageCropper, IID_IClassFactory,
                                     reinterpret_cast<void**>(&factory));
  if (FAILED(got) || factory == nullptr) {
    std::printf("no class object: 0x%08X\n", static_cast<unsigned>(got));
    return 1;
  }
  factory->LockServer(TRUE);
  const bool locked = canUnloadNow() == S_FALSE;
  factory->LockServer(FALSE);
  factory->Release();
  const bool unlocked = canUnloadNow() == S_OK;
  std::printf("class object %s\n", locked && unlocked ? "ok" : "miscounted");
  return locked && unlocked ? 0 : 1;
}
