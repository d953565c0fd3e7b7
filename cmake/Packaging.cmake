# `cmake --install` puts quillon in bin/; `cpack -G DEB` makes a Debian package of
# it whose dependencies are read from the binary (libhivex0, OpenSSL, zlib, the C++
# runtime), with 7-Zip recommended for .7z archives.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "back up the device drivers of a Windows installation")
# One string, its lines as Debian's control file shows them (set() would join
# several strings with ';').
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "quillon lists the devices of a Windows installation that is not running\n"
    "(a PC's disk mounted on a rescue system) with their installed driver,\n"
    "checks the drivers' signatures and exports each driver package as one\n"
    "archive, with a record of every export.")
set(CPACK_PACKAGE_CONTACT "Quillon developers <quillon-developers@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "p7zip-full")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)

# What Debian wants beside the program: its manual page, made at build time from
# the program's own --help and --version by help2man, and the copyright and
# changelog files, compressed as dpkg expects (gzip -9n: no name, no time stamp).
set(quillon_docs ${PROJECT_BINARY_DIR}/package-files)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${quillon_docs}/changelog @ONLY)
add_custom_command(
  OUTPUT ${quillon_docs}/quillon.1.gz ${quillon_docs}/changelog.gz
  COMMAND help2man --no-info --section 1 --name "${CPACK_PACKAGE_DESCRIPTION_SUMMARY}"
          --output ${quillon_docs}/quillon.1 $<TARGET_FILE:quillon>
  COMMAND gzip -9nf ${quillon_docs}/quillon.1
  COMMAND gzip -9nkf ${quillon_docs}/changelog
  DEPENDS quillon ${quillon_docs}/changelog
  COMMENT "Writing the manual page of quillon"
  VERBATIM)
add_custom_target(quillon-package-files ALL DEPENDS ${quillon_docs}/quillon.1.gz ${quillon_docs}/changelog.gz)
install(FILES ${quillon_docs}/quillon.1.gz DESTINATION share/man/man1)
install(FILES ${quillon_docs}/changelog.gz ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION share/doc/quillon)
include(CPack)
