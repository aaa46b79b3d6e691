# Man pages and the user manual, built with the programs so they describe this build.
#   build/man/velmora.1, build/man/velmora-cli.1   from the programs' own --help and docs/man/*.txt
#                                                  (and .1.gz of each, which is installed)
#   build/docs/manual/index.html                   from docs/manual.md
#   build/docs/manual/images/*.png                 by docs/make-screenshots.sh (./package.sh runs it)

# Debian's interpreter, which has python3-markdown (a python3 earlier on PATH may not).
find_program(VELMORA_PYTHON NAMES python3 HINTS /usr/bin REQUIRED)

set(VELMORA_MAN_DIR ${CMAKE_BINARY_DIR}/man)
set(VELMORA_MAN_PAGES ${VELMORA_MAN_DIR}/velmora.1 ${VELMORA_MAN_DIR}/velmora-cli.1)
set(VELMORA_MAN_PAGES_GZ ${VELMORA_MAN_DIR}/velmora.1.gz ${VELMORA_MAN_DIR}/velmora-cli.1.gz)
file(GLOB VELMORA_MAN_PROSE CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/man/*.txt)
add_custom_command(OUTPUT ${VELMORA_MAN_PAGES} ${VELMORA_MAN_PAGES_GZ}
  COMMAND ${VELMORA_PYTHON} ${PROJECT_SOURCE_DIR}/docs/tools/make_manpages.py
    --editor $<TARGET_FILE:velmora> --cli $<TARGET_FILE:velmora-cli>
    --pages ${PROJECT_SOURCE_DIR}/docs/man --version ${PROJECT_VERSION} --out ${VELMORA_MAN_DIR}
  DEPENDS velmora velmora-cli ${VELMORA_MAN_PROSE}
    ${PROJECT_SOURCE_DIR}/docs/tools/make_manpages.py ${PROJECT_SOURCE_DIR}/docs/tools/helptext.py
  COMMENT "Writing the man pages from the programs' options")
add_custom_target(manpages ALL DEPENDS ${VELMORA_MAN_PAGES} ${VELMORA_MAN_PAGES_GZ})

set(VELMORA_MANUAL_DIR ${CMAKE_BINARY_DIR}/docs/manual)
add_custom_command(OUTPUT ${VELMORA_MANUAL_DIR}/index.html
  COMMAND ${VELMORA_PYTHON} ${PROJECT_SOURCE_DIR}/docs/tools/make_manual.py
    ${PROJECT_SOURCE_DIR}/docs/manual.md ${VELMORA_MANUAL_DIR}/index.html --version ${PROJECT_VERSION}
  DEPENDS ${PROJECT_SOURCE_DIR}/docs/manual.md ${PROJECT_SOURCE_DIR}/docs/tools/make_manual.py
  COMMENT "Writing the user manual as HTML")
add_custom_target(manual ALL DEPENDS ${VELMORA_MANUAL_DIR}/index.html)

# Opens the editor on a sample project and saves the pictures the manual shows.
add_executable(velmora-screenshots docs/tools/ScreenshotDriver.cpp)
target_link_libraries(velmora-screenshots PRIVATE velmora-ui velmora_warnings)

install(FILES ${VELMORA_MAN_PAGES_GZ} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(DIRECTORY ${VELMORA_MANUAL_DIR} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velmora)
