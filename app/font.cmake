# Ramilux.ttf and its licence, made at build time beside Ramilux.exe: the display font
# whose Latin 1 letters at the connector bytes are drawn as box-drawing lines.
set(RAMILUX_FONT_PYTHON /usr/bin/python3 CACHE FILEPATH
    "Python with Debian's fontTools (python3-fonttools)")
set(RAMILUX_FONT_SOURCE /usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf CACHE FILEPATH
    "DejaVu Sans Mono (fonts-dejavu-core), the font Ramilux.ttf is made from")
set(RAMILUX_FONT_COPYRIGHT /usr/share/doc/fonts-dejavu-core/copyright CACHE FILEPATH
    "Debian's copyright file of fonts-dejavu-core, source of the font's licence text")

foreach(input RAMILUX_FONT_PYTHON RAMILUX_FONT_SOURCE RAMILUX_FONT_COPYRIGHT)
  if(NOT EXISTS ${${input}})
    message(FATAL_ERROR "${input} (${${input}}) is missing: run scripts/install-deps")
  endif()
endforeach()

set(RAMILUX_FONT_FILE ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Ramilux.ttf)
set(RAMILUX_FONT_LICENSE ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Ramilux-LICENSE.txt)
set(make_font ${PROJECT_SOURCE_DIR}/scripts/make-font.py)

add_custom_command(
  OUTPUT ${RAMILUX_FONT_FILE} ${RAMILUX_FONT_LICENSE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
  COMMAND ${RAMILUX_FONT_PYTHON} ${make_font} --source ${RAMILUX_FONT_SOURCE}
          --copyright ${RAMILUX_FONT_COPYRIGHT} --font ${RAMILUX_FONT_FILE}
          --license ${RAMILUX_FONT_LICENSE}
  DEPENDS ${make_font} ${RAMILUX_FONT_SOURCE} ${RAMILUX_FONT_COPYRIGHT}
  COMMENT "Making Ramilux.ttf from DejaVu Sans Mono"
  VERBATIM)
add_custom_target(ramilux_font ALL DEPENDS ${RAMILUX_FONT_FILE} ${RAMILUX_FONT_LICENSE})
