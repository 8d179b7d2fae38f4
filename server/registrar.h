// The registrar: applies registration scripts to a registry key tree and
// takes back what they wrote. A script names keys in nested braces:
//
//   HKCR
//   {
//     NoRemove CLSID
//     {
//       ForceRemove {D44D178F-...} = s 'DrawingControl Class'
//       {
//         InprocServer32 = s '%MODULE%'
//         {
//           val ThreadingModel = s 'Apartment'
//         }
//       }
//     }
//   }
//
// Tokens are separated by white space; a name or text may be quoted with
// single quotes ('' stands for one quote). `Name = s 'text'` gives a key its
// default value, `val Name = s 'text'` sets a named value. On registration
// every key is created (a ForceRemove key is deleted first, so it holds only
// what the script writes; a Delete key is deleted and not recreated). On
// unregistration every key not marked NoRemove is deleted with everything
// below it; inside a NoRemove key the script's named values are removed.
// %NAME% in a name or text is replaced from the symbol map after the script
// is split into tokens, so a replacement may hold quotes or braces; %% is one
// percent sign. The whole script is checked before the tree is touched: a
// malformed script or an unknown symbol changes nothing.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "platform/com/types.h"
#include "platform/system/registry_store.h"

namespace varn::server {

// Symbol name without the percent signs -> replacement text.
using RegistrarSymbols = std::map<std::string, std::string, std::less<>>;

// Applies `script` to `root`, which stands for HKEY_CLASSES_ROOT (the script's
// root block must be HKCR or HKEY_CLASSES_ROOT). Failures come back as
// EditFailed with a message naming the line, so the result can be returned
// straight from a system::UpdateRegistry edit.
system::RegistryStatus RegisterScript(std::string_view script, const RegistrarSymbols& symbols,
                                      system::RegistryKey& root);
system::RegistryStatus UnregisterScript(std::string_view script, const RegistrarSymbols& symbols,
                                        system::RegistryKey& root);

// The module's registration scripts, compiled in as resources.
inline constexpr int kAppRegistrationScript = 101;
inline constexpr int kImageEditControlRegistrationScript = 103;
inline constexpr int kDrawingControlRegistrationScript = 104;
inline constexpr int kBlogActiveXPackageRegistrationScript = 107;
inline constexpr int kProfileImageCropperRegistrationScript = 109;

// The text of a compiled-in script; empty when no such resource is linked.
std::string_view RegistrationScript(int resourceId);

// The controls' miscellaneous-status bits, written in decimal as %OLEMISC%:
// recompose on resize, can't link inside, inside-out, activate when visible,
// set client site first.
inline constexpr unsigned kControlMiscStatus = 131473;

// "{D44D178F-0AC1-468D-8D71-FEFFCA9F62EC}": upper-case hex in braces, as the
// registry spells identifiers.
std::string GuidText(const GUID& guid);

// The symbols the module's scripts use: MODULE (the module's absolute path),
// APPID (the application identifier in braces) and OLEMISC.
RegistrarSymbols ModuleSymbols(std::string modulePath);

}  // namespace varn::server
