# test-hooks/VaroTimer.exe: the program compiled with VARO_TEST_HOOKS, for
# end-to-end runs that must not wait the full countdown. Same name as the
# product, so that its profile and application name match; built with the
# product's compilers, on request only (make win), not for make run.
add_library(varoapp_test_hooks STATIC EXCLUDE_FROM_ALL $<TARGET_OBJECTS:varoapp_plain> ${test_hook_sources})
target_compile_definitions(varoapp_test_hooks PRIVATE VARO_TEST_HOOKS)
target_include_directories(varoapp_test_hooks PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(varoapp_test_hooks PUBLIC ${program_libs})
add_executable(VaroTimerTestHooks WIN32 EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/afx/winmain.cpp
               ${CMAKE_SOURCE_DIR}/res/VaroTimer.rc)
target_link_libraries(VaroTimerTestHooks PRIVATE -Wl,--whole-archive varoapp_test_hooks -Wl,--no-whole-archive
                      ${program_libs})
target_include_directories(VaroTimerTestHooks PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/res)
set_target_properties(VaroTimerTestHooks PROPERTIES OUTPUT_NAME VaroTimer
                      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/test-hooks)

# teardown_child.exe: the class layer's static-teardown check, built as the
# program is (these compilers, this runtime); win_teardown_test runs it.
add_executable(teardown_child EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/tests/win/teardown_child/teardown_child.cpp)
target_link_libraries(teardown_child PRIVATE afx)
set_target_properties(teardown_child PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/test-hooks)
