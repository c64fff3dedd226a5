# Run by CPack before it packs: the ZIP archive opens with readme.txt at its
# top, beside bin/ and share/, where a user who unzips it looks first. The
# Debian package keeps the usual layout.
if(CPACK_GENERATOR STREQUAL "ZIP")
  file(COPY_FILE "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/share/doc/tolvane/readme.txt"
       "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/readme.txt")
endif()
