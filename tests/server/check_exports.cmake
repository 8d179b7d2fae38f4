# Fails unless the module's dynamic symbol table defines exactly the functions
# a host may look up. Run with -DNM=<nm> -DMODULE=<path>.
set(expected
  DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer
  SysAllocString SysAllocStringLen SysFreeString SysStringByteLen SysStringLen
  VariantClear VariantCopy VariantInit)

execute_process(COMMAND ${NM} -D --defined-only ${MODULE}
                OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm failed on ${MODULE}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${listing}")
set(actual)
foreach(line ${lines})
  string(REGEX REPLACE "^[0-9a-fA-F]* *[A-Za-z] +" "" name "${line}")
  list(APPEND actual ${name})
endforeach()
list(SORT actual)
list(SORT expected)
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "module exports differ\n  expected: ${expected}\n  actual:   ${actual}")
endif()
