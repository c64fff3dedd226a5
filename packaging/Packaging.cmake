# Installing Tolvane on a Linux desktop, as a distribution's package does
# (debian/): the program, its desktop entry, icon and AppStream metainfo,
# the manual page and the user's guide. The copyright file and the
# changelog are the package's own.
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
configure_file(packaging/tolvane.1.in ${PROJECT_BINARY_DIR}/tolvane.1 @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/tolvane.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES packaging/readme.txt DESTINATION ${CMAKE_INSTALL_DOCDIR})
