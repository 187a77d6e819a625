# Still pictures in other formats for the banner control's tests, made with
# ImageMagick beside the test program; the tests skip a format that is missing.
find_program(VARO_IMAGEMAGICK_CONVERT convert PATHS /usr/bin NO_DEFAULT_PATH)
if(VARO_IMAGEMAGICK_CONVERT AND TARGET win_animated_picture_test)
  set(banner_images)
  foreach(format png jpg)
    set(image ${CMAKE_CURRENT_BINARY_DIR}/banner-still.${format})
    add_custom_command(OUTPUT ${image}
      COMMAND ${VARO_IMAGEMAGICK_CONVERT} -size 96x48 "xc:#2060A0" -density 96 -units PixelsPerInch ${image}
      VERBATIM)
    list(APPEND banner_images ${image})
  endforeach()
  add_custom_target(banner_test_images DEPENDS ${banner_images})
  add_dependencies(win_animated_picture_test banner_test_images)
endif()
