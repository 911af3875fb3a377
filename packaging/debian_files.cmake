# Run by CPack once the tree is staged: what Debian asks of a package's
# documentation (copyright, a compressed changelog, compressed man pages).
set(staged "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
if(NOT EXISTS "${staged}/share/man/man1/pixmera.1")
  message(FATAL_ERROR "The staged tree is not where it was looked for: ${staged}")
endif()
execute_process(COMMAND gzip -9n -f "${staged}/share/man/man1/pixmera.1" COMMAND_ERROR_IS_FATAL ANY)
set(docs "${staged}/share/doc/pixmera")
file(COPY "${CPACK_PIXMERA_DEBIAN_SOURCE}/copyright" DESTINATION "${docs}")
file(COPY_FILE "${CPACK_PIXMERA_DEBIAN_SOURCE}/changelog.Debian" "${docs}/changelog.Debian")
execute_process(COMMAND gzip -9n -f "${docs}/changelog.Debian" COMMAND_ERROR_IS_FATAL ANY)
