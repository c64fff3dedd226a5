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
# What Qt's licence asks of whoever passes its DLLs on, kept with the Qt
# build (tools/windows/build-qt.sh).
install(DIRECTORY ${QT6_INSTALL_PREFIX}/licences/ DESTINATION qt-licences)
