# Tolvane in a browser page: the folder any static web host serves. Beside
# the page (web/: index.html, tolvane.js, tolvane.wasm) go what makes it an
# app a browser can install and keep offline (manifest, icons, the offline
# copy's worker), the manual for the browser and the licences of all it
# holds, with a page that lists them. tools/make-web-zip.sh builds it and
# packs it (tools/make-packages.sh).
include(packaging/Developer.cmake)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# The grey around the window, as an installed app starts.
set(PAGE_BACKGROUND "#d8d8d8")
set(page ${PROJECT_BINARY_DIR}/page)
configure_file(packaging/web/tolvane.webmanifest.in ${page}/tolvane.webmanifest @ONLY)

# The app's icons: 192 and 512 pixels, and one a launcher may cut to any
# shape, the drawing kept within the middle circle of 80 %.
set(icons ${page}/icon-192.png ${page}/icon-512.png ${page}/icon-maskable-512.png)
set(svg ${PROJECT_SOURCE_DIR}/packaging/tolvane.svg)
add_custom_command(OUTPUT ${icons}
  COMMAND rsvg-convert -w 192 -h 192 ${svg} -o ${page}/icon-192.png
  COMMAND rsvg-convert -w 512 -h 512 ${svg} -o ${page}/icon-512.png
  COMMAND rsvg-convert --page-width 512 --page-height 512 --left 80 --top 80
          -w 352 -h 352 -b ${PAGE_THEME_COLOUR} ${svg} -o ${page}/icon-maskable-512.png
  DEPENDS ${svg}
  VERBATIM)

# The manual in the browser's words: the sections of readme-sections.txt
# in place of the manual's own.
set(readme ${page}/readme.txt)
set(sections packaging/web/readme-sections.txt)
add_custom_command(OUTPUT ${readme}
  COMMAND awk -f ${PROJECT_SOURCE_DIR}/packaging/readme.awk
          ${PROJECT_SOURCE_DIR}/${sections} ${PROJECT_SOURCE_DIR}/packaging/readme.txt > ${readme}
  DEPENDS packaging/readme.awk ${sections} packaging/readme.txt)

# Emscripten's C and C++ run-time libraries, built into tolvane.wasm, with
# Debian's record of their copyright and licences; the page of licences
# reads the texts laid out as in the folder.
set(licence_texts ${PROJECT_BINARY_DIR}/licence-texts)
file(REMOVE_RECURSE ${licence_texts})
file(MAKE_DIRECTORY ${licence_texts}/runtime-licences)
set(emscripten_copyright /usr/share/doc/emscripten/copyright)
file(CREATE_LINK ${PROJECT_SOURCE_DIR}/LICENSE ${licence_texts}/LICENSE SYMBOLIC)
file(CREATE_LINK ${emscripten_copyright}
  ${licence_texts}/runtime-licences/emscripten-copyright.txt SYMBOLIC)
add_custom_command(OUTPUT ${page}/licences.html
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/packaging/web/licences_page.py
          ${PROJECT_SOURCE_DIR}/packaging/web/licences.txt ${licence_texts}
          ${PROJECT_VERSION} ${PROJECT_HOMEPAGE_URL} ${page}/licences.html
  DEPENDS packaging/web/licences_page.py packaging/web/licences.txt)

# The offline copy's worker keeps every file the page and its licences
# link to, each checked against its digest; any changed byte makes a new
# version.
set(page_files index.html tolvane.js tolvane.wasm tolvane.webmanifest icon-192.png
  icon-512.png icon-maskable-512.png readme.txt licences.html)
set(kept tolvane.svg=${svg} LICENSE=${PROJECT_SOURCE_DIR}/LICENSE
  runtime-licences/emscripten-copyright.txt=${emscripten_copyright})
foreach(file IN LISTS page_files)
  list(APPEND kept ${file}=${page}/${file})
endforeach()
add_custom_command(OUTPUT ${page}/service-worker.js
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/web/stamp.py worker
          ${PROJECT_SOURCE_DIR}/web/service-worker.js.in ${page}/service-worker.js
          ${PROJECT_VERSION} ${kept}
  DEPENDS web_page ${page}/index.html ${icons} ${readme} ${page}/licences.html
          ${page}/tolvane.webmanifest web/stamp.py web/service-worker.js.in ${svg} LICENSE
          ${emscripten_copyright}
  VERBATIM)
add_custom_target(web_app ALL DEPENDS ${page}/service-worker.js)

list(TRANSFORM page_files PREPEND ${page}/)
install(FILES ${page_files} ${page}/service-worker.js ${svg} LICENSE DESTINATION .)
install(FILES ${emscripten_copyright}
  DESTINATION runtime-licences RENAME emscripten-copyright.txt)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME tolvane)
set(CPACK_PACKAGE_VENDOR ${developer_name})
set(CPACK_PACKAGE_FILE_NAME tolvane-${PROJECT_VERSION}-web)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
