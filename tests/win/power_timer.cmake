# Test artefacts of the power timer: resource-only modules with version
# resources of their own for the version query, and a test build of the
# program that carries test hooks the shipped program lacks.

# version_<name>.dll beside the test programs, one per fixture.
set(version_fixture_dir ${CMAKE_SOURCE_DIR}/tests/win/version_query)
set(version_fixtures)
foreach(fixture one_pair two_pairs no_translation damaged)
  add_library(version_${fixture} SHARED ${version_fixture_dir}/fixture_dll.c ${version_fixture_dir}/${fixture}.rc)
  set_target_properties(version_${fixture} PROPERTIES PREFIX "")
  list(APPEND version_fixtures version_${fixture})
endforeach()
# A module with no version resource at all.
add_library(version_none SHARED ${version_fixture_dir}/fixture_dll.c)
set_target_properties(version_none PROPERTIES PREFIX "")
list(APPEND version_fixtures version_none)
if(TARGET win_version_query_test)
  add_dependencies(win_version_query_test ${version_fixtures})
endif()

# test-hooks/VaroTimer.exe: the program compiled with VARO_TEST_HOOKS, for
# end-to-end runs that must not wait the full countdown. Same name as the
# product, so that its profile and application name match.
add_library(varoapp_test_hooks STATIC ${program_sources})
target_compile_definitions(varoapp_test_hooks PRIVATE VARO_TEST_HOOKS)
target_include_directories(varoapp_test_hooks PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(varoapp_test_hooks PUBLIC ${program_libs})
add_executable(VaroTimerTestHooks WIN32 ${CMAKE_SOURCE_DIR}/afx/winmain.cpp ${CMAKE_SOURCE_DIR}/res/VaroTimer.rc)
target_link_libraries(VaroTimerTestHooks PRIVATE -Wl,--whole-archive varoapp_test_hooks -Wl,--no-whole-archive
                      ${program_libs})
target_include_directories(VaroTimerTestHooks PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/res)
set_target_properties(VaroTimerTestHooks PROPERTIES OUTPUT_NAME VaroTimer
                      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/test-hooks)

# The resource script includes one file per dialog and menu; rebuild the test
# programs' resources when any of them changes.
file(GLOB varo_resource_parts CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/*.rc ${CMAKE_SOURCE_DIR}/res/*.h)
list(FILTER varo_resource_parts EXCLUDE REGEX "VaroTimer\\.rc$")
set_property(SOURCE ${CMAKE_SOURCE_DIR}/res/VaroTimer.rc APPEND PROPERTY OBJECT_DEPENDS ${varo_resource_parts})
