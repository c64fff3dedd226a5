# Tolvane in a browser page: the folder any static web host serves, with the
# page, Qt's loader, the program as WebAssembly and its script, the icon,
# the manual for the browser and the licences of all it holds.
# tools/make-web-zip.sh builds it and packs it (tools/make-packages.sh).
include(packaging/Developer.cmake)

# The manual, in the browser's words.
set(readme ${PROJECT_BINARY_DIR}/readme.txt)
add_custom_command(OUTPUT ${readme}
  COMMAND awk -f ${PROJECT_SOURCE_DIR}/packaging/readme.awk
          ${PROJECT_SOURCE_DIR}/packaging/web/readme-sections.txt
          ${PROJECT_SOURCE_DIR}/packaging/readme.txt > ${readme}
  DEPENDS packaging/readme.awk packaging/web/readme-sections.txt packaging/readme.txt)
add_custom_target(web_readme ALL DEPENDS ${readme})

# Qt writes a page of its own beside the program; Tolvane's is index.html.
install(FILES $<TARGET_FILE:tolvane> $<TARGET_FILE_DIR:tolvane>/tolvane.wasm
  $<TARGET_FILE_DIR:tolvane>/qtloader.js packaging/web/index.html packaging/tolvane.svg
  ${readme} LICENSE DESTINATION .)

# Emscripten's C and C++ run-time libraries, built into the program, with
# Debian's record of their copyright and licences.
install(FILES /usr/share/doc/emscripten/copyright
  DESTINATION runtime-licences RENAME emscripten-copyright.txt)

set(archive_platform web)
include(packaging/QtArchive.cmake)
