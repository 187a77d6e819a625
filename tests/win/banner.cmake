# Pictures beside the banner control's test program: still pictures in other
# formats made with ImageMagick (the tests skip a format that is missing),
# and the sample banner as shipped.
if(TARGET win_animated_picture_test)
  set(banner_images ${CMAKE_CURRENT_BINARY_DIR}/sorel-ads.gif)
  add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/sorel-ads.gif
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/res/images/sorel-ads.gif ${CMAKE_CURRENT_BINARY_DIR}/
    DEPENDS ${CMAKE_SOURCE_DIR}/res/images/sorel-ads.gif VERBATIM)
  find_program(VARO_IMAGEMAGICK_CONVERT convert PATHS /usr/bin NO_DEFAULT_PATH)
  if(VARO_IMAGEMAGICK_CONVERT)
    foreach(format png jpg)
      set(image ${CMAKE_CURRENT_BINARY_DIR}/banner-still.${format})
      add_custom_command(OUTPUT ${image}
        COMMAND ${VARO_IMAGEMAGICK_CONVERT} -size 96x48 "xc:#2060A0" -density 96 -units PixelsPerInch ${image}
        VERBATIM)
      list(APPEND banner_images ${image})
    endforeach()
  endif()
  add_custom_target(banner_test_images DEPENDS ${banner_images})
  add_dependencies(win_animated_picture_test banner_test_images)
endif()

# Figures for the banner control (scripts/bench-banner.sh runs it under Wine).
add_executable(banner_bench ${CMAKE_CURRENT_SOURCE_DIR}/banner_bench.cpp)
target_link_libraries(banner_bench PRIVATE varoapp ${program_libs})
target_include_directories(banner_bench PRIVATE ${CMAKE_SOURCE_DIR})
