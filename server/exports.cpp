#include "server/exports.h"

#include <dlfcn.h>

#include <climits>
#include <cstdlib>
#include <memory>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/com/identifiers.h"
#include "platform/com/module_count.h"
#include "server/class_table.h"
#include "server/registrar.h"
#include "server/type_library_entries.h"

namespace varn::server {
namespace {

struct ClassScript {
  const CLSID* clsid;
  int resourceId;
};

constexpr ClassScript kClassScripts[] = {
    {&CLSID_BlogActiveXPackage, kBlogActiveXPackageRegistrationScript},
    {&CLSID_DrawingControl, kDrawingControlRegistrationScript},
    {&CLSID_ImageEditControl, kImageEditControlRegistrationScript},
    {&CLSID_ProfileImageCropper, kProfileImageCropperRegistrationScript},
};

int ScriptOf(const CLSID& clsid) {
  for (const ClassScript& entry : kClassScripts) {
    if (*entry.clsid == clsid) return entry.resourceId;
  }
  return 0;
}

// One registration step: a script, the symbols it is run with and the error
// that stands for its failure.
struct Step {
  std::string script;
  const RegistrarSymbols* symbols;
  HRESULT failure;
  std::string name;
};

using StepRunner = system::RegistryStatus (*)(std::string_view, const RegistrarSymbols&,
                                              system::RegistryKey&);

}  // namespace

HRESULT RegistryStatusToHResult(const system::RegistryStatus& status) {
  using system::FileError;
  using system::RegistryErrorCode;
  switch (status.code) {
    case RegistryErrorCode::None:
      return S_OK;
    case RegistryErrorCode::InvalidPath:
      return kRegistryPathNotFound;
    case RegistryErrorCode::Unsafe:
      return kRegistryAccessDenied;
    case RegistryErrorCode::Malformed:
      return kRegistryCorrupt;
    case RegistryErrorCode::TooLarge:
      return kRegistryFileTooLarge;
    case RegistryErrorCode::InvalidName:
      return E_INVALIDARG;
    case RegistryErrorCode::EditFailed:
      return SELFREG_E_CLASS;
    case RegistryErrorCode::Io:
      switch (status.fileError) {
        case FileError::AccessDenied:
        case FileError::IsLink:
        case FileError::WrongOwner:
        case FileError::OpenToOthers:
          return kRegistryAccessDenied;
        case FileError::NotFound:
        case FileError::NotDirectory:
        case FileError::PathTooLong:
          return kRegistryPathNotFound;
        case FileError::OutOfMemory:
          return E_OUTOFMEMORY;
        default:
          return kRegistryWriteFault;
      }
  }
  return E_FAIL;
}

HRESULT UpdateModuleRegistration(const std::string& storePath, const std::string& modulePath,
                                 RegistrationMode mode, std::string* message) {
  const RegistrarSymbols symbols = ModuleSymbols(modulePath);
  RegistrarSymbols librarySymbols = symbols;
  const std::size_t slash = modulePath.find_last_of('/');
  librarySymbols["MODULEDIR"] =
      slash == std::string::npos ? std::string(".") : modulePath.substr(0, slash == 0 ? 1 : slash);

  // The steps in the order they run; a missing script fails before the store
  // is touched.
  std::vector<Step> classSteps;
  for (const ClassEntry& entry : ServedClasses()) {
    const int id = ScriptOf(entry.clsid);
    const std::string_view script = id != 0 ? RegistrationScript(id) : std::string_view();
    if (script.empty()) {
      if (message != nullptr) {
        *message =
            "the registration script of class " + GuidText(entry.clsid) + " is not in the module";
      }
      return kScriptResourceMissing;
    }
    classSteps.push_back({std::string(script), &symbols, SELFREG_E_CLASS,
                          "the script of class " + GuidText(entry.clsid)});
  }
  const std::string_view appScript = RegistrationScript(kAppRegistrationScript);
  if (appScript.empty()) {
    if (message != nullptr) *message = "the application's registration script is not in the module";
    return kScriptResourceMissing;
  }
  Step appStep{std::string(appScript), &symbols, SELFREG_E_CLASS, "the application's script"};
  Step libraryStep{TypeLibraryRegistrationScript(), &librarySymbols, SELFREG_E_TYPELIB,
                   "the type library's registration"};

  std::vector<Step*> steps;
  StepRunner run = nullptr;
  if (mode == RegistrationMode::kRegister) {
    run = &RegisterScript;
    steps.push_back(&appStep);
    for (Step& step : classSteps) steps.push_back(&step);
    steps.push_back(&libraryStep);
  } else {
    run = &UnregisterScript;
    for (Step& step : classSteps) steps.push_back(&step);
    steps.push_back(&libraryStep);
    steps.push_back(&appStep);
  }

  HRESULT failure = S_OK;
  const system::RegistryStatus status =
      system::UpdateRegistry(storePath, [&](system::RegistryKey& root) {
        for (const Step* step : steps) {
          system::RegistryStatus done = run(step->script, *step->symbols, root);
          if (!done.Ok()) {
            failure = step->failure;
            done.message = step->name + ": " + done.message;
            return done;
          }
        }
        return system::RegistryStatus{};
      });
  if (status.Ok()) return S_OK;
  if (message != nullptr) *message = status.message;
  // A step's own failure; otherwise the store's.
  return failure != S_OK ? failure : RegistryStatusToHResult(status);
}

std::string OwnModulePath() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&OwnModulePath), &info) == 0 || info.dli_fname == nullptr) {
    return {};
  }
  std::unique_ptr<char, decltype(&std::free)> resolved(realpath(info.dli_fname, nullptr),
                                                       &std::free);
  return resolved ? std::string(resolved.get()) : std::string(info.dli_fname);
}

namespace {

HRESULT UpdateOwnRegistration(RegistrationMode mode) {
  try {
    const std::string modulePath = OwnModulePath();
    if (modulePath.empty()) return E_UNEXPECTED;
    const std::string storePath = system::DefaultRegistryPath();
    if (storePath.empty()) return kRegistryPathNotFound;
    return UpdateModuleRegistration(storePath, modulePath, mode);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

}  // namespace
}  // namespace varn::server

extern "C" {

HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
  try {
    return varn::server::ModuleClassObjects().GetClassObject(clsid, riid, object);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

HRESULT DllCanUnloadNow() { return varn::com::CanUnloadModule() ? S_OK : S_FALSE; }

HRESULT DllRegisterServer() {
  return varn::server::UpdateOwnRegistration(varn::server::RegistrationMode::kRegister);
}

HRESULT DllUnregisterServer() {
  return varn::server::UpdateOwnRegistration(varn::server::RegistrationMode::kUnregister);
}

}  // extern "C"
