# Tolvane for Windows: a program without a console window, with its icon
# and version in its resources, and the folder a user unzips, which holds
# everything it loads. tools/make-windows-zip.sh builds and packs it.
include(packaging/Developer.cmake)
enable_language(RC)
configure_file(packaging/windows/tolvane.rc.in ${PROJECT_BINARY_DIR}/tolvane.rc @ONLY)
target_sources(tolvane PRIVATE ${PROJECT_BINARY_DIR}/tolvane.rc)
set_target_properties(tolvane PROPERTIES WIN32_EXECUTABLE ON)

# The manual, in Windows words and with Windows line ends.
set(readme ${PROJECT_BINARY_DIR}/readme.txt)
add_custom_command(OUTPUT ${readme}
  COMMAND awk -f ${PROJECT_SOURCE_DIR}/packaging/windows/readme.awk
          ${PROJECT_SOURCE_DIR}/packaging/windows/readme-sections.txt
          ${PROJECT_SOURCE_DIR}/packaging/readme.txt > ${readme}
  DEPENDS packaging/windows/readme.awk packaging/windows/readme-sections.txt
          packaging/readme.txt)
add_custom_target(windows_readme ALL DEPENDS ${readme})

install(TARGETS tolvane RUNTIME DESTINATION .)
# The plugins Tolvane loads: the Windows platform and the Windows styles.
foreach(plugin QWindowsIntegrationPlugin QModernWindowsStylePlugin)
  find_package(Qt6${plugin} REQUIRED CONFIG PATHS ${Qt6Gui_DIR} ${Qt6Widgets_DIR}
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
endforeach()
install(FILES ${readme} LICENSE DESTINATION .)
install(FILES $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>
  DESTINATION .)
# Qt looks for its plugins in these folders beside the program.
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
install(FILES $<TARGET_FILE:Qt6::QModernWindowsStylePlugin> DESTINATION styles)
# The compiler's own run-time libraries, which Qt's DLLs need as well.
foreach(dll libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}")
    message(FATAL_ERROR "The compiler cannot find ${dll}")
  endif()
  install(FILES ${path} DESTINATION .)
endforeach()
# What Qt's licence asks of whoever passes its DLLs on: the LGPL and the GPL
# it builds on, where the DLLs' source comes from, Debian's record of every
# file's copyright, and the notices and licences of the libraries built into
# Qt Core, Gui and Widgets. tools/windows/build-qt.sh keeps them with Qt.
set(qt_licences ${QT6_INSTALL_PREFIX}/licences)
install(FILES ${qt_licences}/LGPL-3.0-only.txt ${qt_licences}/GPL-3.0-only.txt
  ${qt_licences}/qt-source.txt ${qt_licences}/debian-copyright.txt DESTINATION qt-licences)
set(licence_ids "")
foreach(library 3rdparty-blake2 3rdparty-D3D12MemoryAllocator 3rdparty-double-conversion
    3rdparty-easing 3rdparty-freetype 3rdparty-harfbuzz-ng 3rdparty-icc 3rdparty-libpng
    3rdparty-md4 3rdparty-md4c 3rdparty-md5 3rdparty-pcre2 3rdparty-rfc6234 3rdparty-sha1
    3rdparty-sha3 3rdparty-siphash 3rdparty-tinycbor 3rdparty-zlib corelib-mimetypes-3rdparty)
  file(GLOB notices ${qt_licences}/3rdparty/${library}-*)
  string(REPLACE "3rdparty-" "" name ${library})
  foreach(notice IN LISTS notices)
    string(REPLACE "${qt_licences}/3rdparty/${library}-" "" file_name ${notice})
    install(FILES ${notice} DESTINATION qt-licences/${name} RENAME ${file_name})
  endforeach()
  file(READ ${qt_licences}/3rdparty/${library}-qt_attribution.json attribution)
  string(REGEX MATCHALL "\"LicenseId\": \"[^\"]*\"" ids "${attribution}")
  string(REGEX MATCHALL "[A-Za-z0-9.+-]+" words "${ids}")
  list(APPEND licence_ids ${words})
endforeach()
# The texts of the licences those notices name.
list(REMOVE_DUPLICATES licence_ids)
foreach(id IN LISTS licence_ids)
  if(EXISTS ${qt_licences}/${id}.txt AND NOT id MATCHES "^(OR|AND|WITH)$")
    install(FILES ${qt_licences}/${id}.txt DESTINATION qt-licences)
  endif()
endforeach()
