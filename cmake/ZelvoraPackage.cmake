# `make package`: a Debian package of what `make install` installs, under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zelvora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Zelvora")
set(CPACK_PACKAGE_CONTACT "Zelvora developers <zelvora@zelvora.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Saudi Exchange announcements in your system tray")
set(CPACK_PACKAGE_DESCRIPTION "Zelvora polls the Saudi Exchange's public portal for issuer \
announcements and market news, keeps the last 30 days and raises a desktop notification for each new \
one, optionally only for the symbols on your watchlist. It also runs headless (zelvora watch, \
zelvora poll).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://zelvora.org")
# The libraries come from the program and the window module themselves; Qt's platform plugins are
# loaded at run time, so they are named here: X11 and offscreen, and Wayland when the session is one.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, ca-certificates")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, fonts-noto-color-emoji, qt6-translations-l10n")
include(CPack)
