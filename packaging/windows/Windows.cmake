# Tolvane for Windows: a program without a console window, with its icon
# and version in its resources, and the folder a user unzips, which holds
# everything it loads and the licences of all it holds.
# tools/make-windows-zip.sh builds it and packs it (tools/make-packages.sh).
include(packaging/Developer.cmake)
enable_language(RC)
configure_file(packaging/windows/tolvane.rc.in ${PROJECT_BINARY_DIR}/tolvane.rc @ONLY)
target_sources(tolvane PRIVATE ${PROJECT_BINARY_DIR}/tolvane.rc)
set_target_properties(tolvane PROPERTIES WIN32_EXECUTABLE ON)

install(TARGETS tolvane RUNTIME DESTINATION .)
# The plugins Tolvane loads: the Windows platform and the Windows styles.
foreach(plugin QWindowsIntegrationPlugin QModernWindowsStylePlugin)
  find_package(Qt6${plugin} REQUIRED CONFIG PATHS ${Qt6Gui_DIR} ${Qt6Widgets_DIR}
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
endforeach()
install(FILES $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>
  DESTINATION .)
# Qt looks for its plugins in these folders beside the program.
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
install(FILES $<TARGET_FILE:Qt6::QModernWindowsStylePlugin> DESTINATION styles)
# The compiler's own run-time libraries, which Qt's DLLs need as well, with
# Debian's record of their copyright and licences (the GPL with the GCC
# Runtime Library Exception; winpthreads' own notice), found through the
# package each comes from.
foreach(dll libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}")
    message(FATAL_ERROR "The compiler cannot find ${dll}")
  endif()
  file(REAL_PATH ${path} path)
  execute_process(COMMAND dpkg-query --search ${path}
    OUTPUT_VARIABLE owner COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX REPLACE ":.*" "" package "${owner}")
  install(FILES ${path} DESTINATION .)
  install(FILES /usr/share/doc/${package}/copyright
    DESTINATION runtime-licences RENAME ${package}-copyright.txt)
endforeach()
install(FILES /usr/share/common-licenses/GPL-3 DESTINATION runtime-licences RENAME GPL-3.txt)
# Symbols are of no use to a user.
install(CODE "
  file(GLOB_RECURSE dlls \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/*.dll\")
  execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded \${dlls} COMMAND_ERROR_IS_FATAL ANY)")

# The installer, made from the archive's files (tools/make-packages.sh).
configure_file(packaging/windows/tolvane.wxs.in ${PROJECT_BINARY_DIR}/tolvane.wxs @ONLY)

set(CPACK_STRIP_FILES ON)
set(archive_platform win64)
set(platform_folder windows)
# The manual with Windows line ends, as Windows editors expect.
set(readme_line_end crlf)
include(packaging/QtArchive.cmake)
# The readme names the qt6-base version these DLLs are built from: that of
# the source kept with the Qt (tools/qt/build-qt.sh).
file(GLOB qt_dsc ${QT6_INSTALL_PREFIX}/licensing/source/qt6-base_*.dsc)
list(LENGTH qt_dsc count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "No one qt6-base .dsc in ${QT6_INSTALL_PREFIX}/licensing/source")
endif()
file(STRINGS ${qt_dsc} qt6_base_version REGEX "^Version: ")
string(REGEX REPLACE "^Version: " "" qt6_base_version "${qt6_base_version}")
add_custom_command(OUTPUT ${readme} APPEND
  COMMAND sed -i "s/@qt6_base_version@/${qt6_base_version}/" ${readme}
  DEPENDS ${qt_dsc})
