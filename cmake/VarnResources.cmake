# Compiled-in resources found by numeric id at run time (FindResource in
# platform/system/resource.h).
#
#   varn_resource_library(<name>
#     <id> <file>
#     <id> <file>
#     ...)
#
# makes an OBJECT library <name> holding the listed files as byte arrays, one
# id and file per line. Relative paths are taken from the calling folder.
# Link <name> straight into the executable or shared module: its objects
# register themselves from static initialisers, and an object put into a
# static archive that nothing references would be dropped by the linker.

function(varn_resource_library name)
  set(generator ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/VarnResourcesGenerate.cmake)
  set(pairs ${ARGN})
  list(LENGTH pairs count)
  math(EXPR odd "${count} % 2")
  if(count EQUAL 0 OR odd)
    message(FATAL_ERROR "varn_resource_library(${name}): expects <id> <file> pairs")
  endif()

  set(manifest "")
  set(files "")
  set(ids "")
  math(EXPR last "${count} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET pairs ${i} id)
    list(GET pairs ${j} file)
    if(NOT id MATCHES "^[0-9]+$")
      message(FATAL_ERROR "varn_resource_library(${name}): id '${id}' is not a number")
    endif()
    if(id IN_LIST ids)
      message(FATAL_ERROR "varn_resource_library(${name}): id ${id} listed twice")
    endif()
    cmake_path(ABSOLUTE_PATH file BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
               NORMALIZE OUTPUT_VARIABLE path)
    if(NOT EXISTS ${path})
      message(FATAL_ERROR "varn_resource_library(${name}): ${path} does not exist")
    endif()
    list(APPEND ids ${id})
    list(APPEND files ${path})
    string(APPEND manifest "${id}|${path}\n")
  endforeach()

  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${name}_resources)
  set(list_file ${dir}/manifest.txt)
  set(source ${dir}/${name}_resources.cpp)
  # Rewritten only when the list changes, so a configure run alone does not
  # force a rebuild.
  file(CONFIGURE OUTPUT ${list_file} CONTENT "${manifest}" @ONLY)
  add_custom_command(
    OUTPUT ${source}
    COMMAND ${CMAKE_COMMAND} -DMANIFEST=${list_file} -DOUTPUT=${source}
            -P ${generator}
    DEPENDS ${files} ${list_file} ${generator}
    COMMENT "Compiling resources of ${name}"
    VERBATIM)
  add_library(${name} OBJECT ${source})
  target_link_libraries(${name} PUBLIC varn_platform_system)
  varn_warnings(${name})
endfunction()
