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

# chmcmd does not see a topic that the index or the welcome page's list of
# topics leaves out: every page of the table of contents must be in both.
get_filename_component(help_dir "${PROJECT}" DIRECTORY)
file(READ "${help_dir}/contents.hhc" contents)
file(READ "${help_dir}/index.hhk" index)
file(READ "${help_dir}/welcome.htm" welcome)
string(FIND "${welcome}" "<h2>Topics</h2>" at)
string(SUBSTRING "${welcome}" ${at} -1 welcome)
string(REGEX MATCHALL "name=\"Local\" value=\"[^\"#]+" topics "${contents}")
list(REMOVE_DUPLICATES topics)
set(left_out "")
foreach(topic IN LISTS topics)
  string(REGEX REPLACE ".*value=\"" "" topic "${topic}")
  if(NOT index MATCHES "value=\"${topic}[\"#]")
    list(APPEND left_out "${topic} has no entry in index.hhk")
  endif()
  if(NOT topic STREQUAL "welcome.htm" AND NOT welcome MATCHES "href=\"${topic}\"")
    list(APPEND left_out "${topic} is not in the topics of welcome.htm")
  endif()
endforeach()
if(left_out)
  list(JOIN left_out "\n  " left_out)
  message(FATAL_ERROR "Help file not built:\n  ${left_out}")
endif()

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
