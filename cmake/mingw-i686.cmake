# Cross build of the Windows test programs. The -posix compilers carry
# std::thread and std::mutex, which the tests use; their threads runtime
# needs Windows Vista or later, so the shipped program is built with
# mingw-i686-win32.cmake instead.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686-common.cmake)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
