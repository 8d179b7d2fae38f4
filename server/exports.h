// The component server's exports, with C linkage as a host looks them up.
#pragma once

#include "platform/com/export.h"
#include "platform/com/types.h"

extern "C" {
// The class object of a served class; CLASS_E_CLASSNOTAVAILABLE otherwise.
VARN_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object);
// S_OK when no object and no server lock is alive, otherwise S_FALSE.
VARN_EXPORT HRESULT DllCanUnloadNow();
// FIXME: registration is not written yet; both answer E_NOTIMPL.
VARN_EXPORT HRESULT DllRegisterServer();
VARN_EXPORT HRESULT DllUnregisterServer();
}
