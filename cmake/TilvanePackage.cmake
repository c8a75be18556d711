# The Debian package: `cpack -G DEB` in the build folder makes
# tilvane_4.05-1_ARCH.deb of everything `cmake --install` puts in place, under
# /usr, with the programs stripped and the libraries they link declared as
# dependencies by dpkg-shlibdeps (which needs dpkg-dev and file).
set(TILVANE_PACKAGE_MAINTAINER "Tilvane developers <maintainers@users.noreply.c-seed-1d14990b.example>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tilvane)
set(CPACK_PACKAGE_VENDOR "The Tilvane developers")
set(CPACK_PACKAGE_CONTACT "${TILVANE_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for the image maps of HTML pages")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Tilvane opens an HTML page, lets you pick one of its pictures, and draws\n"
  "the areas a visitor can click over it: rectangles, circles, polygons, or\n"
  "polygons traced by a magic wand. Each hotspot carries a link, alternative\n"
  "text, a title, a frame target and script attributes. Tilvane writes one\n"
  "map back into the page and leaves the rest of the page as it was. It\n"
  "also imports and exports NCSA and CERN server-side map files.\n"
  ".\n"
  "The package holds the editor, tilvane, and tilvane-map, a command-line\n"
  "companion that checks, shows and converts maps for scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TILVANE_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The X11 platform comes with Qt's GUI library; the Wayland one is a package of
# its own, without which the editor runs through XWayland. xdg-utils answers
# which program takes links and opens the files handed to other programs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "www-browser")

include(CPack)
