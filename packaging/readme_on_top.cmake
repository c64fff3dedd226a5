# Run by CPack before it packs: the archive opens with readme.txt at its
# top, beside bin/ and share/, where a user who unzips it looks first.
file(COPY_FILE "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/share/doc/tolvane/readme.txt"
     "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/readme.txt")
