# The shipped program must load on Windows XP SP3: after each link, its
# imports are checked against what XP SP3 exports (cmake/xp_imports.py and
# the list of those exports, cmake/xp_sp3_exports.txt), and
# the build fails when one is missing there.
find_package(Python3 COMPONENTS Interpreter REQUIRED)
set(xp_imports_stamp ${CMAKE_BINARY_DIR}/VaroTimer.xp-imports-ok)
add_custom_command(
  OUTPUT ${xp_imports_stamp}
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/xp_imports.py --objdump ${CMAKE_OBJDUMP}
          --stamp ${xp_imports_stamp} $<TARGET_FILE:VaroTimer>
  DEPENDS VaroTimer ${CMAKE_CURRENT_LIST_DIR}/xp_imports.py ${CMAKE_CURRENT_LIST_DIR}/xp_sp3_exports.txt
  COMMENT "Checking VaroTimer.exe's imports against Windows XP SP3"
  VERBATIM)
add_custom_target(xp_import_check ALL DEPENDS ${xp_imports_stamp})
