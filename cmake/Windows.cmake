# The Windows program, its class layer and its Windows test programs.
enable_language(RC)

add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501 WINVER=0x0501 _WIN32_IE=0x0600
                        VARO_SITE_URL="${VARO_SITE_URL}")
add_compile_options(-Wall -Wextra -Wno-unused-parameter -Wno-cast-function-type)

# A tree builds the shipped program with its help file, the Windows test
# programs, or both. The Makefile builds them in two trees: the program with
# the win32-thread compilers (mingw-i686-win32.cmake), the tests with the
# -posix ones, whose threads runtime the tests use and XP lacks.
option(VARO_PRODUCT "Build VaroTimer.exe, its help file and the test build of the program" ON)
option(VARO_WIN_TESTS "Build the Windows test programs and the end-to-end driver" ON)
# Where the test build of the program (test-hooks/VaroTimer.exe) is made.
set(VARO_PRODUCT_DIR ${CMAKE_BINARY_DIR} CACHE PATH "Build tree of the shipped program")

# The class layer that the program's windows are built on.
file(GLOB afx_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/afx/*.cpp)
list(FILTER afx_sources EXCLUDE REGEX "(winmain|_test)\\.cpp$")
add_library(afx STATIC ${afx_sources})
target_include_directories(afx PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(afx PUBLIC varocore comctl32 shlwapi)

# Program sources: the Win32 code of every subsystem. Files named *_test.cpp
# belong to the test programs, not to the product.
set(program_sources)
foreach(dir app tray remote banner)
  file(GLOB dir_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  list(FILTER dir_sources EXCLUDE REGEX "_test\\.cpp$")
  list(APPEND program_sources ${dir_sources})
endforeach()

set(program_libs varocore afx comctl32 shlwapi shell32 gdi32 user32 advapi32 wininet ws2_32 iphlpapi
    ole32 oleaut32 uuid version)

# Files that read VARO_TEST_HOOKS: compiled once for the product and once for
# its test build; every other program file is compiled once for both.
set(test_hook_sources ${CMAKE_SOURCE_DIR}/app/countdown_dlg.cpp ${CMAKE_SOURCE_DIR}/tray/system_tray.cpp)
set(plain_program_sources ${program_sources})
list(REMOVE_ITEM plain_program_sources ${test_hook_sources})
# A header that read it would make every file that includes it differ.
file(GLOB program_headers ${CMAKE_SOURCE_DIR}/afx/*.h ${CMAKE_SOURCE_DIR}/app/*.h ${CMAKE_SOURCE_DIR}/tray/*.h
     ${CMAKE_SOURCE_DIR}/remote/*.h ${CMAKE_SOURCE_DIR}/banner/*.h)
foreach(src IN LISTS plain_program_sources program_headers)
  file(STRINGS ${src} hook LIMIT_COUNT 1 REGEX "VARO_TEST_HOOKS")
  if(hook)
    message(FATAL_ERROR "${src} reads VARO_TEST_HOOKS: only the files of test_hook_sources may")
  endif()
endforeach()
add_library(varoapp_plain OBJECT ${plain_program_sources})
target_link_libraries(varoapp_plain PUBLIC ${program_libs})
target_include_directories(varoapp_plain PUBLIC ${CMAKE_SOURCE_DIR})

# Everything but the entry point, so that test programs can link the real code.
add_library(varoapp STATIC $<TARGET_OBJECTS:varoapp_plain> ${test_hook_sources})
target_link_libraries(varoapp PUBLIC ${program_libs})
target_include_directories(varoapp PUBLIC ${CMAKE_SOURCE_DIR})

if(VARO_PRODUCT)
  add_executable(VaroTimer WIN32 ${CMAKE_SOURCE_DIR}/afx/winmain.cpp ${CMAKE_SOURCE_DIR}/res/VaroTimer.rc)
  # The application object lives in the program's own library; keep it linked.
  target_link_libraries(VaroTimer PRIVATE -Wl,--whole-archive varoapp -Wl,--no-whole-archive ${program_libs})
  target_include_directories(VaroTimer PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/res)
  set_target_properties(VaroTimer PROPERTIES LINK_FLAGS "-s")
  include(${CMAKE_CURRENT_LIST_DIR}/XpImports.cmake)
  include(${CMAKE_CURRENT_LIST_DIR}/TestHooks.cmake)
  add_subdirectory(${CMAKE_SOURCE_DIR}/help ${CMAKE_BINARY_DIR}/help)
endif()
file(GLOB resource_parts CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/*.rc ${CMAKE_SOURCE_DIR}/res/*.h
     ${CMAKE_SOURCE_DIR}/res/*.manifest ${CMAKE_SOURCE_DIR}/res/images/*.ico ${CMAKE_SOURCE_DIR}/res/images/*.bmp)
set_source_files_properties(${CMAKE_SOURCE_DIR}/res/VaroTimer.rc PROPERTIES
  OBJECT_DEPENDS "${resource_parts}")

if(VARO_WIN_TESTS)
  add_subdirectory(tests/win)
  add_subdirectory(tests/e2e)
endif()
