# `cpack` in a build tree packages what `cmake --install` puts in place (KestrelInstall.cmake):
# a .deb on Debian, installed with `apt install ./kestrel12_<version>_amd64.deb`, and a ZIP on
# Windows, whose bin/ folder is the whole installation.
set(CPACK_PACKAGE_NAME kestrel12)
set(CPACK_PACKAGE_VENDOR "Kestrel12")
set(CPACK_PACKAGE_CONTACT "Kestrel12 developers <kestrel12@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Camera Link acquisition applet, its virtual frame-grabber board and the kestrel tool")
set(CPACK_PACKAGE_DESCRIPTION
    "The Kestrel12 applet with its embedded design image, the host library that loads it, the \
virtual board whose emulation of the image pipeline makes every parameter visible in acquired \
images, the kestrel tool with its man page, the public headers, pkg-config files and CMake \
package.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-windows-x64)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  # Debian's own file name, kestrel12_2.4.1_amd64.deb, and dependencies read off the binaries by
  # dpkg-shlibdeps, so that apt brings libtiff and libpng.
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SECTION libs)
  # The libraries have no versioned sonames and find each other through RUNPATH $ORIGIN.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${KESTREL_LIB_DIR})
endif()
include(CPack)
