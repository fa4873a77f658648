# Compiles the help project with chmcmd (cmake -P script, run by help.cmake).
# chmcmd reports broken links and missing files only as warnings and still
# exits with 0, so its output is read as well: any warning, error or
# exception fails the build, and so does a result without the "ITSF"
# signature. A failed run leaves no help file behind.
#   -DCHMCMD=<chmcmd> -DPROJECT=<.hhp> -DOUTPUT=<full path of the .chm>
foreach(var CHMCMD PROJECT OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "compile_help.cmake needs -D${var}=...")
  endif()
endforeach()

get_filename_component(out_dir "${OUTPUT}" DIRECTORY)
get_filename_component(out_name "${OUTPUT}" NAME)
file(MAKE_DIRECTORY "${out_dir}")
file(REMOVE "${OUTPUT}")

# chmcmd writes the compiled file named in the project into its working
# directory and reads the sources relative to the project file.
execute_process(
  COMMAND "${CHMCMD}" --verbosity 1 "${PROJECT}"
  WORKING_DIRECTORY "${out_dir}"
  RESULT_VARIABLE rc
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err)
set(report "${out}${err}")

set(failure "")
if(NOT rc EQUAL 0)
  set(failure "chmcmd exited with ${rc}")
elseif(report MATCHES "([Ww]arning|[Ee]rror|[Ee]xception)[^\n]*")
  set(failure "chmcmd reported: ${CMAKE_MATCH_0}")
elseif(NOT EXISTS "${OUTPUT}")
  set(failure "chmcmd wrote no ${out_name} (does the project's \"Compiled file\" name it?)")
else()
  file(READ "${OUTPUT}" signature LIMIT 4 HEX)
  if(NOT signature STREQUAL "49545346")  # "ITSF"
    set(failure "${out_name} does not start with the ITSF signature")
  endif()
endif()

if(failure)
  file(REMOVE "${OUTPUT}")
  message(FATAL_ERROR "Help file not built: ${failure}\n${report}")
endif()
