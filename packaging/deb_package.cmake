# The Debian package, made by `cpack -G DEB` in a build folder (the release
# workflow's package step does it): everything the install rules install,
# under /usr. Its version is the project's VERSION (top CMakeLists.txt).

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vellum)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "the vellum developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "run Atari ST GEMDOS console programs as native commands")
# Lines as they go into the control file (CPack indents them).
set(CPACK_PACKAGE_DESCRIPTION
    "vellum runs one GEMDOS console program (a 68000 executable in the
GEMDOS program-file format, such as TOOL.TTP or PROG.TOS) on a Linux
console as if it were a native command, with the program's output, its
files and its exit status.

A binfmt_misc registration in /usr/lib/binfmt.d lets such a program run
directly (chmod +x TOOL.TTP && ./TOOL.TTP args); the package loads it
where systemd runs.

vellum-trace runs a program the same way and writes its OS calls to
standard error; elf2gemdos turns 68000 ELF executables into GEMDOS
program files.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION otherosfs)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends computed from the binaries by dpkg-shlibdeps (dpkg-dev).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/postinst
    ${CMAKE_CURRENT_LIST_DIR}/prerm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
# Installed through DESTDIR with the prefix /usr, so that the install rules
# see the prefix the files will have on the target (the binfmt file names
# /usr/bin/vellum), not the staging folder.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
