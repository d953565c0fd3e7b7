# `cmake --install` puts quillon in bin/; `cpack -G DEB` makes a Debian package of
# it whose dependencies are read from the binary (libhivex0, OpenSSL, zlib, the C++
# runtime), with 7-Zip recommended for .7z archives.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "back up the device drivers of a Windows installation")
set(CPACK_PACKAGE_DESCRIPTION
    "quillon lists the devices of a Windows installation that is not running (a PC's disk mounted on a rescue "
    "system) with their installed driver, checks the drivers' signatures and exports each driver package as "
    "one archive, with a record of every export.")
set(CPACK_PACKAGE_CONTACT "Quillon developers <quillon@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "p7zip-full")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
include(CPack)
