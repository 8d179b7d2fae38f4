# Writes a C++ source holding the files of a resource manifest (lines of
# "<id>|<path>") as byte arrays registered with the system layer.
# Run as: cmake -DMANIFEST=<file> -DOUTPUT=<file> -P VarnResourcesGenerate.cmake

file(STRINGS ${MANIFEST} lines)
set(arrays "")
set(entries "")
set(index 0)
foreach(line IN LISTS lines)
  string(FIND "${line}" "|" bar)
  string(SUBSTRING "${line}" 0 ${bar} id)
  math(EXPR start "${bar} + 1")
  string(SUBSTRING "${line}" ${start} -1 path)
  file(READ ${path} hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  if(size EQUAL 0)
    # A C++ array cannot be empty; the entry still reports 0 bytes.
    set(bytes "0x00,")
  else()
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REPEAT "0x..," 16 row)
    string(REGEX REPLACE "(${row})" "\\1\n    " bytes "${bytes}")
  endif()
  string(APPEND arrays "// ${path}\nconst unsigned char kResource${index}[] = {\n    ${bytes}\n};\n\n")
  string(APPEND entries "    {${id}, kResource${index}, ${size}},\n")
  math(EXPR index "${index} + 1")
endforeach()

file(WRITE ${OUTPUT} "// Generated from ${MANIFEST}; edit the resource list, not this file.
#include \"platform/system/resource.h\"

namespace {

${arrays}const varn::system::ResourceEntry kEntries[] = {
${entries}};

varn::system::ResourceBlock block{kEntries, sizeof kEntries / sizeof kEntries[0], nullptr};

[[maybe_unused]] const bool registered = (varn::system::RegisterResources(&block), true);

}  // namespace
")
