# Test artefacts of the power timer: resource-only modules with version
# resources of their own for the version query. The test build of the
# program, with hooks the shipped program lacks, is made beside the program
# (cmake/TestHooks.cmake).

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

# The resource script includes one file per dialog and menu; rebuild the test
# programs' resources when any of them changes.
file(GLOB varo_resource_parts CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/*.rc ${CMAKE_SOURCE_DIR}/res/*.h)
list(FILTER varo_resource_parts EXCLUDE REGEX "VaroTimer\\.rc$")
set_property(SOURCE ${CMAKE_SOURCE_DIR}/res/VaroTimer.rc APPEND PROPERTY OBJECT_DEPENDS ${varo_resource_parts})

# The static-teardown check's child comes from the program's build tree (made
# with the program's compilers, see cmake/TestHooks.cmake), copied beside the
# test that runs it on every build.
if(TARGET win_teardown_test)
  add_custom_target(teardown_child_copy
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${VARO_PRODUCT_DIR}/test-hooks/teardown_child.exe
            $<TARGET_FILE_DIR:win_teardown_test>/teardown_child.exe)
  add_dependencies(win_teardown_test teardown_child_copy)
endif()
