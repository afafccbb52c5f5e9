# `cpack -G DEB` in a build folder makes a Debian package of what `cmake --install` puts in place:
# the two programs, the window's late library in its private folder and the desktop files, nothing
# of the tests, benchmarks or static libraries.
set(CPACK_PACKAGE_NAME kestrova)
set(CPACK_PACKAGE_VENDOR Orvanta)
# No address is published for the project yet; the reserved .invalid name says so plainly rather
# than inventing one that might reach somebody.
set(CPACK_PACKAGE_CONTACT "Orvanta <kestrova@orvanta.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop diary with a page for every day")
# Debian wants the long description in lines of under 80 characters.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Kestrova keeps a diary for one person: for every calendar day the tasks,"
    "conversations and shopping trips with their times, the meals, health readings"
    "taken three times a day, the weather, thoughts and a picture, all in one diary"
    "file with a dated backup before each save. Charts show a health reading or a"
    "weather value over thirty days; a month exports as text or CSV."
    "kestrova-cli converts, searches, exports and imports without a window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# The libraries the programs link come from dpkg-shlibdeps, so the Depends line follows whatever
# Qt and libjpeg the package was built against. Qt Charts and Qt Print Support come in through the
# late library, which the window loads without linking it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window is laid out for Tahoma's widths; Liberation Sans is the free font that matches them
# (any font lets it run: fontconfig brings one).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-liberation2)

include(CPack)
