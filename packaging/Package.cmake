# The Debian package. Its dependencies come from the libraries the programs link, as
# dpkg-shlibdeps finds them, never from a list kept by hand.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Quillon developers <quillon@morvane.example.com>")
set(CPACK_PACKAGE_VENDOR Morvane)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "compress, restore, inspect and preview Flash movies")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillon turns plain Flash movies (SWF files) into zlib- or LZMA-compressed ones and
back, estimates the compressed size, shows what a movie declares and checks movies
for damage. It previews a movie in its own player and compresses or decompresses
whole folders in batch mode.

The package holds the desktop program quillon and the command-line tool
quillon-cli, which composes with find, xargs and GNU parallel.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.morvane.example.com/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
# The offscreen and desktop platform plugins are loaded at run time, out of
# dpkg-shlibdeps' sight.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
