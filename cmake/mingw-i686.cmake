# Cross-build for 32-bit Windows with Debian's mingw-w64; ctest runs the
# Windows executables under Wine. Two thread models, one per build tree: the
# test programs take the posix one (GoogleTest needs std::mutex), the program
# itself the win32 one (cmake/mingw-i686-win32.cmake), whose runtime imports
# nothing that Windows 95 lacks; the posix runtime imports functions of XP and
# Vista, and Windows refuses to load a program that imports what it lacks.
if(NOT IZ_MINGW_THREADS)
  set(IZ_MINGW_THREADS posix)
endif()
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-${IZ_MINGW_THREADS})
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-${IZ_MINGW_THREADS})
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
