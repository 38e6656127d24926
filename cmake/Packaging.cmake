# Release packages, made by cpack: a portable ZIP and a per-user NSIS installer
# (cmake/NSIS.template.in), both named after the version and the target. scripts/package.sh
# makes them for both targets.

# The shipped program is stripped of its symbols; the build tree's one keeps them for the
# tests and the debugger.
install(TARGETS VelmoClipboard RUNTIME DESTINATION .)
# The texts with Windows line ends: Notepad before Windows 10 shows a file with bare line
# feeds as one long line.
configure_file(LICENSE "${CMAKE_BINARY_DIR}/package/LICENSE" @ONLY NEWLINE_STYLE CRLF)
configure_file(docs/package/README.txt "${CMAKE_BINARY_DIR}/package/README.txt" @ONLY NEWLINE_STYLE CRLF)
install(FILES "${CMAKE_BINARY_DIR}/Help.chm" "${CMAKE_BINARY_DIR}/package/LICENSE"
              "${CMAKE_BINARY_DIR}/package/README.txt" DESTINATION .)
set(CPACK_STRIP_FILES TRUE)
# Packing builds nothing of its own: everything is built before (the tests and benchmarks are
# not part of a package).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME "Velmo Clipboard")
set(CPACK_PACKAGE_VENDOR "Velmo-Team")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "A tray utility that watches the clipboard")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Velmo Clipboard")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "VelmoClipboard")
set(CPACK_PACKAGE_FILE_NAME "VelmoClipboard-${PROJECT_VERSION}-${VELMO_ARCH}")
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}/packages")
set(CPACK_RESOURCE_FILE_LICENSE "${CMAKE_BINARY_DIR}/package/LICENSE")
set(CPACK_NSIS_MUI_ICON "${VELMO_ICON_DIR}/VelmoClipboard.ico")
set(CPACK_NSIS_MUI_UNIICON "${VELMO_ICON_DIR}/VelmoClipboard.ico")
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
set(CPACK_NSIS_EXECUTABLE makensis)
# The installer is built for the target too, so the 64-bit one runs where 32-bit programs
# cannot (Windows without its 32-bit layer, Wine without wine32).
if(VELMO_ARCH STREQUAL "x86_64")
  set(CPACK_VELMO_NSIS_TARGET amd64-unicode)
else()
  set(CPACK_VELMO_NSIS_TARGET x86-unicode)
endif()
# The installer gets "-setup" in its name, so it is not taken for the program itself.
set(CPACK_PROJECT_CONFIG_FILE "${CMAKE_SOURCE_DIR}/cmake/PackageNames.cmake")
# Our own installer script instead of cpack's, which installs for all users.
list(PREPEND CMAKE_MODULE_PATH "${CMAKE_SOURCE_DIR}/cmake")
include(CPack)
