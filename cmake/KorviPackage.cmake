# The Debian package: `cpack -G DEB` in a build configured with
# -DCMAKE_INSTALL_PREFIX=/usr makes korvi_<version>_<arch>.deb from the
# install rules (scripts/check-deb builds, installs and checks it).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvi)
set(CPACK_PACKAGE_VENDOR "The Korvi developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${KORVI_PACKAGE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop manager for a BIND 9 DNS server and its zones")
set(CPACK_PACKAGE_DESCRIPTION
  "Korvi manages the BIND 9 DNS server (named) on this machine from a desktop
window. It installs BIND when it is missing, starts, stops and reloads the
server, and lets you create zones and edit their records through forms.

Korvi writes the zone files and its part of named.conf itself, and writes a
file only after BIND's own checkers have accepted exactly that text. Changes
to the machine's server go through a small helper run by pkexec. A sandbox
mode runs a private server on a high port, to try everything without
touching the machine's configuration.")
# Without a revision: the package is built from Korvi's own tree, so its
# version is Korvi's version and the file is korvi_<version>_<arch>.deb.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KORVI_PACKAGE_MAINTAINER})
# The libraries the programs link (Qt, Knot's libraries, ldns) come from
# dpkg-shlibdeps; named and its tools, pkexec and Qt's SQLite driver are run
# or loaded, not linked, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "bind9, bind9-utils, bind9-dnsutils, pkexec, libqt6sql6-sqlite")
# Emoji in the log lines, a native window under Wayland, and Qt's own
# translations for its standard buttons and dialogs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-color-emoji, qt6-wayland, qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
include(CPack)
