# Writes the one header a third-party host compiles against: the automation
# types, the interfaces, the dialog service, the window messages and the fixed
# identifiers, taken from the tree's own headers (so it cannot drift from
# them) and joined in include order with our includes removed.
# Run with -DROOT=<source dir> -DOUTPUT=<header> -DHEADERS=<a;b;...>.
cmake_minimum_required(VERSION 3.25)

set(emitted "")
set(body "")

# Appends header (relative to ROOT) after the tree headers it includes.
function(emit header)
  if(header IN_LIST emitted)
    return()
  endif()
  set(emitted ${emitted} ${header} PARENT_SCOPE)
  set(emitted ${emitted} ${header})
  if(NOT EXISTS ${ROOT}/${header})
    message(FATAL_ERROR "public header: ${header} is not in the tree")
  endif()
  file(STRINGS ${ROOT}/${header} lines REGEX "^#include \"")
  foreach(line ${lines})
    if(line MATCHES "^#include \"([^\"]+)\"")
      emit(${CMAKE_MATCH_1})
    endif()
  endforeach()
  file(READ ${ROOT}/${header} text)
  # Our own includes are inlined above; the guard is the file's own.
  string(REGEX REPLACE "#pragma once\n" "" text "${text}")
  string(REGEX REPLACE "#include \"[^\"]+\"\n" "" text "${text}")
  string(APPEND body "\n// ---- ${header}\n${text}")
  set(emitted ${emitted} PARENT_SCOPE)
  set(body "${body}" PARENT_SCOPE)
endfunction()

foreach(header ${HEADERS})
  emit(${header})
endforeach()

set(text [=[
// VarnPostingTool's public header for hosts: the automation types and
// interfaces with their Windows x86-64 layouts, the dialog service
// IVarnHostUI, VarnSurface, the window messages and the module's fixed
// identifiers. Generated from the module's sources; do not edit.
#ifndef VARNPOSTINGTOOL_HOST_H
#define VARNPOSTINGTOOL_HOST_H
]=])
string(APPEND text "${body}")
string(APPEND text [=[

// ---- the module's exports, looked up with dlsym by a host that loads it
using DllGetClassObjectFunction = HRESULT (*)(REFCLSID clsid, REFIID riid, void** object);
using DllCanUnloadNowFunction = HRESULT (*)();
using DllRegisterServerFunction = HRESULT (*)();
using DllUnregisterServerFunction = HRESULT (*)();
// Strings handed to the module's objects are made and freed by its own
// allocator: SysAllocStringLen, SysFreeString, SysStringLen.
using SysAllocStringLenFunction = BSTR (*)(const OLECHAR* text, UINT length);
using SysFreeStringFunction = void (*)(BSTR text);
using SysStringLenFunction = UINT (*)(BSTR text);
using VariantClearFunction = HRESULT (*)(VARIANT* value);

#endif  // VARNPOSTINGTOOL_HOST_H
]=])

# Only a changed header is written, so hosts built against it do not rebuild.
set(old "")
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} old)
endif()
if(NOT old STREQUAL text)
  file(WRITE ${OUTPUT} "${text}")
endif()
