# The layering test: every #include "..." of the program's own files names a
# file of the same library or of a lower level of cmake/layers.txt. Run as
#   cmake -DIZ_ROOT=<repository> -P cmake/check_layers.cmake
include(${CMAKE_CURRENT_LIST_DIR}/layers.cmake)
iz_read_layers(${IZ_ROOT}/cmake/layers.txt)

set(failures 0)
set(checked 0)
foreach(name IN LISTS IZ_LAYER_NAMES)
  foreach(prefix IN LISTS IZ_LAYER_${name}_PREFIXES)
    file(GLOB_RECURSE files RELATIVE ${IZ_ROOT} ${IZ_ROOT}/${prefix}*.h ${IZ_ROOT}/${prefix}*.cpp)
    foreach(file IN LISTS files)
      iz_layer_of(${file} own)
      if(NOT own STREQUAL name)
        continue()  # a longer prefix of another line claims it
      endif()
      math(EXPR checked "${checked} + 1")
      file(STRINGS ${IZ_ROOT}/${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
      foreach(line IN LISTS includes)
        string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" target "${line}")
        iz_layer_of(${target} theirs)
        if(theirs STREQUAL "")
          message(NOTICE "${file}: includes ${target}, which no layer holds")
          math(EXPR failures "${failures} + 1")
        elseif(NOT theirs STREQUAL own AND
               NOT IZ_LAYER_${theirs}_LEVEL LESS IZ_LAYER_${own}_LEVEL)
          message(NOTICE
                  "${file} (level ${IZ_LAYER_${own}_LEVEL}) includes ${target} "
                  "(level ${IZ_LAYER_${theirs}_LEVEL}): only lower levels may be included")
          math(EXPR failures "${failures} + 1")
        endif()
      endforeach()
    endforeach()
  endforeach()
endforeach()

if(checked EQUAL 0)
  message(FATAL_ERROR "no source file found below ${IZ_ROOT}")
endif()
if(failures GREATER 0)
  message(FATAL_ERROR "${failures} include(s) against cmake/layers.txt")
endif()
message(STATUS "${checked} files include only their own or lower layers")
