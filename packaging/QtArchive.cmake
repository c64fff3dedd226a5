# The ZIP archive of a platform where Tolvane brings its own Qt (Windows,
# the browser), named tolvane-VERSION-${archive_platform}.zip and packed
# by tools/make-packages.sh, with what Qt's licences and those of the code
# built into Qt ask of whoever passes it on: gathered from the Qt that
# tools/qt/build-qt.sh built, into qt-licences/. A licence without its
# text stops the build here.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
execute_process(COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/packaging/qt_notices.py
  ${QT6_INSTALL_PREFIX} ${PROJECT_BINARY_DIR}/qt-licences COMMAND_ERROR_IS_FATAL ANY)
install(DIRECTORY ${PROJECT_BINARY_DIR}/qt-licences/ DESTINATION qt-licences)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME tolvane)
set(CPACK_PACKAGE_VENDOR ${developer_name})
set(CPACK_PACKAGE_FILE_NAME tolvane-${PROJECT_VERSION}-${archive_platform})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
