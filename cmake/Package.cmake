# The Debian package: `cpack -G DEB` in the build folder makes vlzozed_<version>_<arch>.deb from
# the install rules (cmake/Install.cmake), installed under /usr. dpkg-shlibdeps works out the
# libraries it depends on.
if(NOT VLZ_WITH_QT OR NOT TARGET VLZozed)
  return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vlzozed)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "VLZozed developers")
set(CPACK_PACKAGE_CONTACT "VLZozed developers <vlzozed@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "sticky notes with animated characters (Velloric付箋)")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_NAME vlzozed)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://vlzozed.example.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The notes' fonts stand in for the Windows faces; Qt's own buttons in Japanese; the About box's
# link opens with xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, qt6-translations-l10n, xdg-utils")
# The long description under the summary; CPack indents it as the control file wants.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "VLZozed puts sticky notes on the desktop, each with a frame, an animated
character and a memo, reached from an icon in the notification area. Its
Shift-JIS note and preferences files and its character packages are
byte-compatible with those of the Windows program.

The package also holds vlfpack, which makes and checks character packages,
and pxdib, which inspects and converts BMP files.")

include(CPack)
