# Debian package of the program: `cpack -G DEB` from a build directory.
# A Windows build packs a zip and an installer instead.
if(WIN32)
  include(PackagingWindows)
  return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vostrel)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "The Vostrel developers")
set(CPACK_PACKAGE_CONTACT "Vostrel developers <dev@vostrel.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "monthly web-hosting fee calculator")
set(CPACK_PACKAGE_HOMEPAGE_URL "${PROJECT_HOMEPAGE_URL}")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# The folders CPack creates itself take these modes too, not the umask's.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's font, and the Qt platform plugins without which it cannot
# open (libqt6gui6 only recommends them).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, qt6-qpa-plugins")
# Recommended, so apt brings them by default: the Wayland plugin lets the
# window open natively in a Wayland session (without it Qt falls back to X11
# through XWayland), and Qt's translations put the toolkit's own texts in the
# user's language.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, qt6-translations-l10n")
# CPack puts CPACK_PACKAGE_DESCRIPTION_SUMMARY first and indents this below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Vostrel works out the monthly fee for a web-hosting plan from the disk
space, the number of sites, the number of MySQL databases and the months of
service, at unit prices in leva that can be changed. It shows the amount for
each item, the total without VAT, the 20 % VAT and the amount payable. The
window is in Bulgarian.")

# The licence travels as the package's copyright file, with the changelog and
# the manual page; data/CMakeLists.txt installs them.

include(CPack)
