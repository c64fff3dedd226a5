# Installing Tolvane on a desktop: the ZIP archive a user unzips and the
# Debian package apt installs.
include(GNUInstallDirs)
set(app_id org.tolvane.Tolvane)
include(packaging/Developer.cmake)

install(TARGETS tolvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES packaging/${app_id}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/tolvane.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
  RENAME ${app_id}.svg)
configure_file(packaging/${app_id}.metainfo.xml.in
  ${PROJECT_BINARY_DIR}/${app_id}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/${app_id}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
configure_file(packaging/copyright.in ${PROJECT_BINARY_DIR}/copyright @ONLY)
install(FILES packaging/readme.txt ${PROJECT_BINARY_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The changelog and the manual page go in gzipped, without a timestamp, so
# that the same sources give the same package.
foreach(page changelog tolvane.1)
  configure_file(packaging/${page}.in ${PROJECT_BINARY_DIR}/${page} @ONLY)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/${page}.gz
    COMMAND gzip -9nkf ${PROJECT_BINARY_DIR}/${page}
    DEPENDS ${PROJECT_BINARY_DIR}/${page})
endforeach()
add_custom_target(compressed_pages ALL
  DEPENDS ${PROJECT_BINARY_DIR}/changelog.gz ${PROJECT_BINARY_DIR}/tolvane.1.gz)
install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_BINARY_DIR}/tolvane.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR ZIP DEB)
set(CPACK_PACKAGE_NAME tolvane)
set(CPACK_PACKAGE_VENDOR ${developer_name})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Atari 2600 playfield editor writing PF0, PF1 and PF2 tables")
# Lines under 80 columns, as the Debian control file wants them.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Tolvane shows a band of the Atari 2600 playfield, 20 pixels wide and"
  "8 rows high, as a grid of tick boxes coloured by the register each pixel"
  "belongs to. Tick the pixels to light and press Create Code: it writes the"
  "three byte tables that a game loads into PF0, PF1 and PF2, bottom row"
  "first, ready to copy into an assembly source.")
set(CPACK_PACKAGE_FILE_NAME tolvane-${PROJECT_VERSION}-Linux)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/readme_on_top.cmake)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${maintainer})
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its platform plugins at run time, so no linker finds them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
