# The program's build tree: mingw-w64 with the win32 thread model.
set(IZ_MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
