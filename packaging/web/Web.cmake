# Tolvane in a browser page: the folder any static web host serves, with the
# page, Qt's loader, the program as WebAssembly and its script, what makes
# the page an app a browser can install and keep offline, the manual for the
# browser and the licences of all it holds, with a page that lists them.
# tools/make-web-zip.sh builds it and packs it (tools/make-packages.sh).
include(packaging/Developer.cmake)

# The window's dark blue, for the app's title bar and its cut-to-shape icon,
# and the grey around the window.
set(PAGE_THEME_COLOUR "#000040")
set(PAGE_BACKGROUND "#808080")
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

# The page sets the window's scale on a touch screen through the program's
# environment.
set_target_properties(tolvane PROPERTIES QT_WASM_EXTRA_EXPORTED_METHODS ENV)

# Qt writes a page of its own beside the program; Tolvane's is index.html,
# written with the program's size, and the offline copy's worker with a
# version that changes with every file.
set(program_dir $<TARGET_FILE_DIR:tolvane>)
set(page_files tolvane.wasm=${program_dir}/tolvane.wasm tolvane.js=$<TARGET_FILE:tolvane>
  qtloader.js=${program_dir}/qtloader.js tolvane.svg=${svg}
  tolvane.webmanifest=${page}/tolvane.webmanifest
  icon-192.png=${page}/icon-192.png icon-512.png=${page}/icon-512.png
  icon-maskable-512.png=${page}/icon-maskable-512.png
  readme.txt=${PROJECT_BINARY_DIR}/readme.txt licences.html=${page}/licences.html)
add_custom_command(OUTPUT ${page}/index.html ${page}/service-worker.js
  COMMAND ${CMAKE_COMMAND} -DTEMPLATES=${PROJECT_SOURCE_DIR}/packaging/web -DOUT=${page}
          -DPROJECT_VERSION=${PROJECT_VERSION} -DPAGE_THEME_COLOUR=${PAGE_THEME_COLOUR}
          -DPAGE_BACKGROUND=${PAGE_BACKGROUND} "-DFILES=${page_files}"
          -P ${PROJECT_SOURCE_DIR}/packaging/web/page.cmake
  DEPENDS tolvane ${icons} ${PROJECT_BINARY_DIR}/readme.txt ${page}/licences.html
          ${page}/tolvane.webmanifest packaging/web/page.cmake
          packaging/web/index.html.in packaging/web/service-worker.js.in
  VERBATIM)
add_custom_target(web_page ALL DEPENDS ${page}/index.html)

install(FILES $<TARGET_FILE:tolvane> ${program_dir}/tolvane.wasm ${program_dir}/qtloader.js
  ${page}/index.html ${page}/service-worker.js ${page}/tolvane.webmanifest ${icons}
  ${page}/licences.html packaging/tolvane.svg
  DESTINATION .)

# Emscripten's C and C++ run-time libraries, built into the program, with
# Debian's record of their copyright and licences.
set(emscripten_copyright /usr/share/doc/emscripten/copyright)
install(FILES ${emscripten_copyright}
  DESTINATION runtime-licences RENAME emscripten-copyright.txt)

set(archive_platform web)
set(platform_folder web)
include(packaging/QtArchive.cmake)

# The page of licences reads the texts laid out as in the folder.
set(licence_texts ${PROJECT_BINARY_DIR}/licence-texts)
file(REMOVE_RECURSE ${licence_texts})
file(MAKE_DIRECTORY ${licence_texts}/runtime-licences)
file(CREATE_LINK ${PROJECT_SOURCE_DIR}/LICENSE ${licence_texts}/LICENSE SYMBOLIC)
file(CREATE_LINK ${emscripten_copyright}
  ${licence_texts}/runtime-licences/emscripten-copyright.txt SYMBOLIC)
file(CREATE_LINK ${PROJECT_BINARY_DIR}/qt-licences ${licence_texts}/qt-licences SYMBOLIC)
add_custom_command(OUTPUT ${page}/licences.html
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/packaging/web/licences_page.py
          ${PROJECT_SOURCE_DIR}/packaging/web/licences.txt ${licence_texts}
          ${PROJECT_VERSION} ${PROJECT_HOMEPAGE_URL} ${page}/licences.html
  DEPENDS packaging/web/licences_page.py packaging/web/licences.txt)
