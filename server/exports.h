// The component server's exports, with C linkage as a host looks them up, and
// the registration behind DllRegisterServer and DllUnregisterServer.
#pragma once

#include <string>

#include "platform/com/export.h"
#include "platform/com/types.h"
#include "platform/system/registry_store.h"

extern "C" {
// The class object of a served class; CLASS_E_CLASSNOTAVAILABLE otherwise.
VARN_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object);
// S_OK when no object and no server lock is alive, otherwise S_FALSE.
VARN_EXPORT HRESULT DllCanUnloadNow();
// Write and remove the module's classes, application and type library in the
// registry store (system::DefaultRegistryPath()), all in one update: on
// failure the store is left as it was and the first failing step's HRESULT
// is returned.
VARN_EXPORT HRESULT DllRegisterServer();
VARN_EXPORT HRESULT DllUnregisterServer();
}

namespace varn::server {

// Failures of the store as HRESULTs a host can tell apart.
inline constexpr HRESULT kRegistryAccessDenied = static_cast<HRESULT>(0x80070005);
inline constexpr HRESULT kRegistryPathNotFound = static_cast<HRESULT>(0x80070003);
inline constexpr HRESULT kRegistryCorrupt = static_cast<HRESULT>(0x800703F1);
inline constexpr HRESULT kRegistryFileTooLarge = static_cast<HRESULT>(0x800700DF);
inline constexpr HRESULT kRegistryDiskFull = static_cast<HRESULT>(0x80070070);
inline constexpr HRESULT kRegistryWriteFault = static_cast<HRESULT>(0x8007001D);
inline constexpr HRESULT kScriptResourceMissing = static_cast<HRESULT>(0x80070714);
// A class's or the library's script failed to apply.
inline constexpr HRESULT SELFREG_E_TYPELIB = static_cast<HRESULT>(0x80040200);
inline constexpr HRESULT SELFREG_E_CLASS = static_cast<HRESULT>(0x80040201);

// The HRESULT for a failed store operation; S_OK for success.
HRESULT RegistryStatusToHResult(const system::RegistryStatus& status);

enum class RegistrationMode { kRegister, kUnregister };

// Registers (the application, each served class in table order, the type
// library) or unregisters (each class, the type library, then the
// application) the module at modulePath in the store at storePath, as one
// update. Returns the first failure; *message, when given, gets its text.
HRESULT UpdateModuleRegistration(const std::string& storePath, const std::string& modulePath,
                                 RegistrationMode mode, std::string* message = nullptr);

// The absolute path of the file this code was loaded from.
std::string OwnModulePath();

}  // namespace varn::server
