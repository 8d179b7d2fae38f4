# Run with -DBUILD_DIR -DSCRATCH -DCXX -DSANITIZE -DSOURCE_DIR (see CMakeLists.txt).
cmake_minimum_required(VERSION 3.25)

function(run what)
  cmake_parse_arguments(ARG "" "" "COMMAND;EXPECT" ${ARGN})
  execute_process(COMMAND ${ARG_COMMAND} RESULT_VARIABLE status OUTPUT_VARIABLE out
                  ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${what} failed (${status}):\n${out}")
  endif()
  foreach(expected ${ARG_EXPECT})
    string(FIND "${out}" "${expected}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${what} did not say '${expected}':\n${out}")
    endif()
  endforeach()
  message(STATUS "${what}: ok")
endfunction()

set(prefix ${SCRATCH}/prefix)
set(registry ${SCRATCH}/registry.reg)
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH})

run("cmake --install" COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
set(module ${prefix}/lib/varnpostingtool/VarnPostingTool.so)
foreach(installed
        ${module} bin/varn-page bin/varn-site bin/varn-regsvr include/varnpostingtool/host.h
        share/varnpostingtool/drawing.js share/varnpostingtool/editor.js
        share/varnpostingtool/cropper.js share/varnpostingtool/editor-photo-sideways.jpg)
  if(NOT IS_ABSOLUTE ${installed})
    set(installed ${prefix}/${installed})
  endif()
  if(NOT EXISTS ${installed})
    message(FATAL_ERROR "not installed: ${installed}")
  endif()
endforeach()

# Nothing of the source tree or the build on the include path. A sanitized
# module needs its runtime loaded by the program.
set(hostFlags "")
if(SANITIZE)
  set(hostFlags -fsanitize=address,undefined)
endif()
run("a host built against the installed header"
    COMMAND ${CXX} -std=c++20 -Wall -Wextra -Werror ${hostFlags} -I${prefix}/include
            ${SOURCE_DIR}/tiny_host.cpp -o ${SCRATCH}/tiny_host -ldl)
run("the host loading the installed module"
    COMMAND ${SCRATCH}/tiny_host ${module} EXPECT "class object ok")

run("varn-regsvr"
    COMMAND ${CMAKE_COMMAND} -E env VARN_REGISTRY=${registry} ${prefix}/bin/varn-regsvr ${module}
    EXPECT "registered ${module}")
file(READ ${registry} store)
string(FIND "${store}" "@=\"${module}\"" at)
if(at EQUAL -1)
  message(FATAL_ERROR "the store does not name the installed module:\n${store}")
endif()

run("varn-page by ProgID"
    COMMAND ${CMAKE_COMMAND} -E env VARN_REGISTRY=${registry}
            ${prefix}/bin/varn-page --out ${SCRATCH}/page --timeout 60 ${SOURCE_DIR}/tiny_page.js
    EXPECT "created 300 x 300" "page finished without errors")
