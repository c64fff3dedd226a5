# The ZIP archive of a platform where Tolvane brings its own Qt (Windows),
# named tolvane-VERSION-${archive_platform}.zip and packed
# by tools/make-packages.sh. It holds the manual in the platform's words
# (the sections of packaging/${platform_folder}/readme-sections.txt in
# place of the manual's own, lines ending in ${readme_line_end}: crlf, or LF
# when unset), the MIT licence, and what Qt's licences and those of the
# code built into Qt ask of whoever passes it on: the notices that
# packaging/${platform_folder}/licences.txt names, from the source of the Qt
# that tools/qt/build-qt.sh built, into qt-licences/. A licence without its
# text stops the build here.
set(readme ${PROJECT_BINARY_DIR}/readme.txt)
set(sections packaging/${platform_folder}/readme-sections.txt)
add_custom_command(OUTPUT ${readme}
  COMMAND awk -v line_end=${readme_line_end} -f ${PROJECT_SOURCE_DIR}/packaging/readme.awk
          ${PROJECT_SOURCE_DIR}/${sections} ${PROJECT_SOURCE_DIR}/packaging/readme.txt > ${readme}
  DEPENDS packaging/readme.awk ${sections} packaging/readme.txt)
add_custom_target(platform_readme ALL DEPENDS ${readme})
install(FILES ${readme} LICENSE DESTINATION .)

find_package(Python3 REQUIRED COMPONENTS Interpreter)
execute_process(COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/packaging/qt_notices.py
  ${QT6_INSTALL_PREFIX}
  ${PROJECT_SOURCE_DIR}/packaging/${platform_folder}/licences.txt ${PROJECT_BINARY_DIR}/qt-licences COMMAND_ERROR_IS_FATAL ANY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  packaging/qt_notices.py packaging/${platform_folder}/licences.txt)
install(DIRECTORY ${PROJECT_BINARY_DIR}/qt-licences/ DESTINATION qt-licences)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME tolvane)
set(CPACK_PACKAGE_VENDOR ${developer_name})
set(CPACK_PACKAGE_FILE_NAME tolvane-${PROJECT_VERSION}-${archive_platform})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
