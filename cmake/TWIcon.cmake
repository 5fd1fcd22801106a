# The suite's icon: drawn once as SVG (packaging/icons/tw-fluegas.svg) and rendered here to the
# PNG sizes of the icon theme, at configure time so that the window's resources and the
# install rules find the files ready. Sets
#   TW_ICON_NAME        the icon's name in the theme and the desktop entry
#   TW_ICON_SVG         the drawing
#   TW_ICON_SIZES       the rendered sizes
#   TW_ICON_THEME_DIR   build folder laid out like share/icons/hicolor
set(TW_ICON_NAME tw-fluegas)
set(TW_ICON_SVG ${CMAKE_SOURCE_DIR}/packaging/icons/${TW_ICON_NAME}.svg)
set(TW_ICON_SIZES 48 128 256)
set(TW_ICON_THEME_DIR ${CMAKE_BINARY_DIR}/icons/hicolor)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TW_ICON_SVG})

find_program(TW_RSVG_CONVERT rsvg-convert)
if(NOT TW_RSVG_CONVERT)
  message(FATAL_ERROR "rsvg-convert (Debian package librsvg2-bin) renders the icon: run tools/setup.sh")
endif()
foreach(size ${TW_ICON_SIZES})
  set(png ${TW_ICON_THEME_DIR}/${size}x${size}/apps/${TW_ICON_NAME}.png)
  if(NOT EXISTS ${png} OR ${TW_ICON_SVG} IS_NEWER_THAN ${png})
    file(MAKE_DIRECTORY ${TW_ICON_THEME_DIR}/${size}x${size}/apps)
    execute_process(
      COMMAND ${TW_RSVG_CONVERT} --width ${size} --height ${size} --format png
              --output ${png} ${TW_ICON_SVG}
      RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "rsvg-convert could not render ${TW_ICON_SVG} at ${size} px")
    endif()
  endif()
endforeach()
