# The wake broadcast, tested only inside a private network namespace (the
# wrapper checks it and routes the broadcast to loopback).
add_executable(win_remote_broadcast_test ${CMAKE_CURRENT_LIST_DIR}/remote_broadcast/broadcast_test.cpp)
target_link_libraries(win_remote_broadcast_test PRIVATE -Wl,--whole-archive varoapp -Wl,--no-whole-archive
                      win_test_main gtest ${program_libs})
target_include_directories(win_remote_broadcast_test PRIVATE ${CMAKE_SOURCE_DIR})
add_test(NAME win_remote_broadcast_test
         COMMAND ${varo_wine_sandbox} -- bash ${CMAKE_CURRENT_LIST_DIR}/remote_broadcast/run.sh
                 $<TARGET_FILE:win_remote_broadcast_test>)
set_tests_properties(win_remote_broadcast_test PROPERTIES LABELS win TIMEOUT 300 SKIP_RETURN_CODE 77)

# One copy of the list handling in a process of its own, started twice by
# win_remote_two_copies_test.
add_executable(remote_list_copy ${CMAKE_CURRENT_LIST_DIR}/remote_list_copy/list_copy_main.cpp)
target_link_libraries(remote_list_copy PRIVATE -Wl,--whole-archive varoapp -Wl,--no-whole-archive ${program_libs})
target_include_directories(remote_list_copy PRIVATE ${CMAKE_SOURCE_DIR})
if(TARGET win_remote_two_copies_test)
  add_dependencies(win_remote_two_copies_test remote_list_copy)
endif()
