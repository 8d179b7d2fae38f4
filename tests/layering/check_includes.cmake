# Fails when a file outside the platform layer's implementation files includes
# a Qt or curl header: the controls see only our own types, and the platform's
# headers stay free of Qt so that nothing above it can lean on Qt by accident.
# Run with -DROOT=<source dir>.
file(GLOB_RECURSE candidates RELATIVE ${ROOT}
     ${ROOT}/common/* ${ROOT}/drawing/* ${ROOT}/imagedoc/* ${ROOT}/imageedit/*
     ${ROOT}/cropper/* ${ROOT}/server/* ${ROOT}/platform/*.h)
set(offenders "")
foreach(file ${candidates})
  if(NOT file MATCHES "\\.(h|hpp|cpp|cc)$")
    continue()
  endif()
  file(STRINGS ${ROOT}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](Q[A-Za-z]|curl/)")
  if(lines)
    list(APPEND offenders "${file}: ${lines}")
  endif()
endforeach()
if(offenders)
  string(REPLACE ";" "\n  " text "${offenders}")
  message(FATAL_ERROR "Qt or curl headers outside platform implementation files:\n  ${text}")
endif()
message(STATUS "include layering holds over ${ROOT}")
