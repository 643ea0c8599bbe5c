# What `cmake --install` puts where, and the package CPack makes of it: a .deb of the Linux
# build (`cpack -G DEB`), a .zip of the Windows build (`cpack -G ZIP`).
include(GNUInstallDirs)

if(WIN32)
  # The .exe files and the README side by side in one folder: each program runs on a bare
  # Windows.
  install(TARGETS sorbel agatdisk blend iodriver_setup RUNTIME DESTINATION .)
  install(FILES README.md DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "agat-tools-${PROJECT_VERSION}-win64")
else()
  # iodriver_setup is left out: without the Service Control Manager of Windows it could only
  # say that there is none.
  install(TARGETS sorbel agatdisk blend RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
  install(FILES README.md DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/doc/agat-tools")
  # Where bash-completion looks for the completion of a command: a file named after it.
  install(FILES tools/agatdisk/agatdisk-completion.bash
          DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions"
          RENAME agatdisk)
  add_subdirectory(docs/man)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # agat-tools_VERSION_ARCH.deb
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  # The dependencies are those of the shared libraries the programs link, as dpkg-shlibdeps
  # finds them (ncursesw, SDL2, libchafa, libpng, zlib, the C and C++ runtimes).
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_STRIP_FILES ON)
endif()

set(CPACK_PACKAGE_NAME agat-tools)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "Agat disk tools")
set(CPACK_PACKAGE_CONTACT "Agat disk tools developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tools for the floppy-disk images of the Agat computer")
set(CPACK_PACKAGE_DESCRIPTION
    "sorbel, a two-panel text-mode file manager for host directories and the disk images of the
Agat (a Soviet Apple II-compatible computer); agatdisk, the same disk work from the command
line; blend, which repairs several imperfect reads of one disk from each other.
No licence has been chosen for this software yet: the package carries no licence text.")
include(CPack)
