# Tolvane in a browser page: the folder any static web host serves, with the
# page, Qt's loader, the program as WebAssembly and its script, the icon,
# the manual for the browser and the licences of all it holds.
# tools/make-web-zip.sh builds it and packs it (tools/make-packages.sh).
include(packaging/Developer.cmake)

# Qt writes a page of its own beside the program; Tolvane's is index.html.
install(FILES $<TARGET_FILE:tolvane> $<TARGET_FILE_DIR:tolvane>/tolvane.wasm
  $<TARGET_FILE_DIR:tolvane>/qtloader.js packaging/web/index.html packaging/tolvane.svg
  DESTINATION .)

# Emscripten's C and C++ run-time libraries, built into the program, with
# Debian's record of their copyright and licences.
install(FILES /usr/share/doc/emscripten/copyright
  DESTINATION runtime-licences RENAME emscripten-copyright.txt)

set(archive_platform web)
set(platform_folder web)
include(packaging/QtArchive.cmake)
