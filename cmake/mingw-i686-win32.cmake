# Cross build of the shipped program. The win32-thread compilers link no
# threads runtime, so the program imports only what Windows XP SP3 has
# (the -posix runtime alone would add GetTickCount64). The program uses
# Win32 threads and critical sections directly.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686-common.cmake)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
