# `cpack -G DEB` in the build folder packs what the install rules install, under /usr, as
# zerlith_<version>_<architecture>.deb.
set(CPACK_PACKAGE_NAME zerlith)
set(CPACK_PACKAGE_VENDOR "The Zerlith developers")
set(CPACK_PACKAGE_CONTACT "The Zerlith developers <maintainers@zerlith.dev>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keyboard-driven window and tab switcher")
set(CPACK_PACKAGE_DESCRIPTION "A global hot key opens a floating palette listing every open
window and browser tab; a few typed letters filter it with a fuzzy match, and
Return switches to the chosen one. The order learns from what is picked.
Browser tabs are listed through a small extension, in
/usr/share/zerlith/browser-extension, whose native-messaging host manifests
are installed for Chromium, Chrome, Brave, Edge and Firefox. For X11 desktops
whose window manager follows EWMH.")
set(CPACK_STRIP_FILES ON)

# The host manifests' install script reads CMAKE_INSTALL_PREFIX to name the executable: with
# DESTDIR packing, that is the packaged prefix, /usr, rather than the staging folder.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads these at run time, where dpkg-shlibdeps cannot see them: the QML modules the views
# import (QtQuick and what it imports), the SVG image plugin, the X11 and Wayland platform plugins.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "qml6-module-qtquick, qml6-module-qtquick-window, qml6-module-qtqml-workerscript, libqt6svg6, qt6-qpa-plugins, qt6-wayland")

get_property(conffiles GLOBAL PROPERTY ZERLITH_CONFFILES)
if(conffiles)
  list(JOIN conffiles "\n" conffiles)
  file(WRITE ${PROJECT_BINARY_DIR}/debian/conffiles "${conffiles}\n")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/debian/conffiles)
endif()

include(CPack)
