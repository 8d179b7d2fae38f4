# Checks every .h and .cpp of the product (all of the tree but tests/, bench/,
# fuzz/ and build/) against the layers below and lists every include that
# breaks one. Run with -DROOT=<source dir>.
cmake_minimum_required(VERSION 3.25)

# The layers, bottom to top. A file may include the headers of its own folder
# and of folders on a lower level, nothing else: nothing upward, and folders on
# the same level (drawing and imagedoc, say) stay out of each other. Every
# folder of the product needs a line here, so a new folder is placed on purpose;
# folders still to come have theirs already.
set(layers
  # folder          level
  platform/system   1     # files, temporary names, text conversions, resources
  platform/com      1     # automation types and the object model
  platform/imaging  2     # bitmaps, graphics and codecs over Qt Gui
  platform/http     2     # requests over curl
  platform/ui       2     # control windows and dialogs over Qt Widgets
  resources         3     # artwork and scripts compiled into the module
  common            4     # form upload and imaging utilities
  drawing           5     # the drawing board
  imagedoc          5     # the image document engine
  imageedit         6     # the image edit control
  cropper           6     # the profile image cropper
  server            7     # class table and exports of the module
  host/site         8     # the embedded upload site
  host/page         9     # the page runner, which may start the site
  host/regsvr       10    # the registration tool, over the page runner's module link
  include           11    # the public header for hosts, generated from platform/com
)

# Headers private to their folder's implementation, and the folders that may
# include them.
set(private_headers
  # header                           may be included from
  platform/imaging/graphics_impl.h   platform/imaging
  platform/imaging/bitmap_access.h   platform/imaging
  platform/imaging/qt_convert.h      platform/imaging
)

# Outside libraries, and the files that may include their headers ("*" is any
# part of a name, a trailing "/" the whole folder). The platform's headers stay
# free of Qt and curl, so nothing above the platform leans on them; hosts are
# programs of their own.
set(outside_headers
  # library  include matches    files that may include it
  Qt         "^Q[A-Za-z]"       "platform/*/*.cpp host/"
  curl       "^curl/"           "platform/*/*.cpp"
  httplib    "^httplib\\.h$"    "host/"
)

set(skipped_folders tests bench fuzz build)

# The folder of the table that <path> (relative to ROOT) belongs to, or "".
function(layer_folder path out)
  set(best "")
  set(table ${layers})
  while(table)
    list(POP_FRONT table folder level)
    string(LENGTH "${folder}" length)
    string(LENGTH "${best}" bestLength)
    if(path MATCHES "^${folder}/" AND length GREATER bestLength)
      set(best ${folder})
    endif()
  endwhile()
  set(${out} "${best}" PARENT_SCOPE)
endfunction()

function(layer_level folder out)
  list(FIND layers ${folder} index)
  math(EXPR index "${index} + 1")
  list(GET layers ${index} level)
  set(${out} ${level} PARENT_SCOPE)
endfunction()

# Each outside library's places as one regular expression, places_<library>,
# and as text for the report, placesText_<library>.
set(table ${outside_headers})
while(table)
  list(POP_FRONT table library pattern places)
  string(REPLACE " " ";" places "${places}")
  set(expressions "")
  foreach(place ${places})
    string(REPLACE "." "\\." place "${place}")
    string(REPLACE "*" "[^/]*" place "${place}")
    if(place MATCHES "/$")
      string(APPEND place ".*")
    endif()
    list(APPEND expressions "^${place}$")
  endforeach()
  list(JOIN expressions "|" places_${library})
  list(JOIN places " or " placesText_${library})
endwhile()

# Every product file, from each top-level folder that is not skipped.
file(GLOB topEntries RELATIVE ${ROOT} ${ROOT}/*)
set(files "")
foreach(entry ${topEntries})
  if(NOT IS_DIRECTORY ${ROOT}/${entry} OR entry IN_LIST skipped_folders OR entry MATCHES "^\\.")
    continue()
  endif()
  file(GLOB_RECURSE found RELATIVE ${ROOT} ${ROOT}/${entry}/*.h ${ROOT}/${entry}/*.cpp)
  list(APPEND files ${found})
endforeach()
list(SORT files)

set(offenders "")
foreach(file ${files})
  layer_folder(${file} folder)
  if(NOT folder)
    list(APPEND offenders "${file}: its folder has no level in the layer table")
    continue()
  endif()
  layer_level(${folder} level)
  cmake_path(GET file PARENT_PATH fileDir)

  file(STRINGS ${ROOT}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"][^>\"]+[>\"]")
  foreach(line ${lines})
    if(NOT line MATCHES "include[ \t]*([<\"])([^>\"]+)[>\"]")
      continue()
    endif()
    set(quoted ${CMAKE_MATCH_1})
    set(include ${CMAKE_MATCH_2})
    if(quoted STREQUAL "<")
      set(shown "<${include}>")
    else()
      set(shown "\"${include}\"")
    endif()

    # An outside library's header?
    set(table ${outside_headers})
    while(table)
      list(POP_FRONT table library pattern places)
      if(include MATCHES "${pattern}" AND NOT file MATCHES "${places_${library}}")
        list(APPEND offenders "${file} includes ${shown}: ${library} headers only in ${placesText_${library}}")
      endif()
    endwhile()

    # One of ours? A quoted include is looked up beside the file first, as the
    # compiler does, then from the root of the tree.
    set(target "")
    if(quoted STREQUAL "\"" AND EXISTS ${ROOT}/${fileDir}/${include})
      cmake_path(SET target NORMALIZE "${fileDir}/${include}")
    elseif(EXISTS ${ROOT}/${include} AND NOT IS_DIRECTORY ${ROOT}/${include})
      cmake_path(SET target NORMALIZE "${include}")
    endif()
    if(NOT target)
      continue()
    endif()

    layer_folder(${target} targetFolder)
    if(NOT targetFolder)
      list(APPEND offenders
           "${file} includes ${shown}: ${target} is in no folder of the layer table")
    elseif(NOT targetFolder STREQUAL folder)
      layer_level(${targetFolder} targetLevel)
      if(NOT targetLevel LESS level)
        list(APPEND offenders
             "${file} includes ${shown}: ${targetFolder} (level ${targetLevel}) is not below ${folder} (level ${level})")
      endif()
    endif()

    set(allowedFolders "")
    set(table ${private_headers})
    while(table)
      list(POP_FRONT table header allowedFolder)
      if(target STREQUAL header)
        list(APPEND allowedFolders ${allowedFolder})
      endif()
    endwhile()
    if(allowedFolders AND NOT folder IN_LIST allowedFolders)
      list(JOIN allowedFolders ", " allowedText)
      list(APPEND offenders
           "${file} includes ${shown}: a private header, only files of ${allowedText} may include it")
    endif()
  endforeach()
endforeach()

list(LENGTH files fileCount)
if(offenders)
  list(LENGTH offenders offenderCount)
  string(REPLACE ";" "\n  " text "${offenders}")
  message(FATAL_ERROR "${offenderCount} include(s) break the layering:\n  ${text}")
endif()
message(STATUS "include layering holds over ${fileCount} files of ${ROOT}")
