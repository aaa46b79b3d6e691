# The Debian package: `cpack -G DEB` in the build folder (./package.sh does it, after the
# screenshots of the manual) writes velmora_<version>-<build>_<arch>.deb next to the build.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR "Velmora")
set(CPACK_PACKAGE_CONTACT "Velmora developers <velmora@localhost>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "authoring tool for the scrolling credits of a film")
set(CPACK_PACKAGE_DESCRIPTION
  "Velmora builds a film's end credits as a tree of text blocks, images and columns,\n\
previews any position of the roll live, saves projects in its .vmz format and renders\n\
the roll frame by frame into a video. velmora is the editor; velmora-cli does the same\n\
work from the command line for batch jobs.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${VELMORA_VERSION_BUILD})
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries come from dpkg-shlibdeps; what is loaded at run time rather than
# linked is listed here: the fonts the sample rolls and new text elements use, and Qt's
# TIFF reader for images.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, fonts-dejavu-core, qt6-image-formats-plugins")
# The Noto faces give names in other scripts (Arabic, Hebrew, Devanagari, Thai, CJK, Korean ...)
# a font to fall back to instead of empty boxes; the rest make a .vmz open in Velmora from the
# file manager (their triggers refresh the MIME and desktop databases when the package comes
# and goes). A dictionary lets the editor check spelling; without one it says so.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-core, fonts-noto-cjk, hunspell-en-us | hunspell-dictionary, shared-mime-info, desktop-file-utils, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
