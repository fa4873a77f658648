# The help file "Internet Zelvora.chm", compiled from resources/help/ with
# chmcmd and placed beside InternetZelvora.exe, where the program looks for
# it. Included by the root CMakeLists.txt in the Windows build.
find_program(IZ_CHMCMD chmcmd)
if(NOT IZ_CHMCMD)
  message(FATAL_ERROR "chmcmd not found: it builds the help file (Debian package fp-utils; "
                      "tools/setup.sh installs it)")
endif()

set(IZ_HELP_DIR ${CMAKE_CURRENT_LIST_DIR}/help)
set(IZ_HELP_FILE "${IZ_OUTPUT_DIR}/Internet Zelvora.chm")
file(GLOB IZ_HELP_SOURCES CONFIGURE_DEPENDS
  ${IZ_HELP_DIR}/*.htm ${IZ_HELP_DIR}/*.css ${IZ_HELP_DIR}/*.hhc ${IZ_HELP_DIR}/*.hhk
  ${IZ_HELP_DIR}/*.hhp)

add_custom_command(
  OUTPUT ${IZ_HELP_FILE}
  COMMAND ${CMAKE_COMMAND} -DCHMCMD=${IZ_CHMCMD} -DPROJECT=${IZ_HELP_DIR}/izelvora.hhp
          -DOUTPUT=${IZ_HELP_FILE} -P ${IZ_HELP_DIR}/compile_help.cmake
  DEPENDS ${IZ_HELP_SOURCES} ${IZ_HELP_DIR}/compile_help.cmake
  COMMENT "Compiling the help file Internet Zelvora.chm"
  VERBATIM)
add_custom_target(help_file ALL DEPENDS ${IZ_HELP_FILE})
