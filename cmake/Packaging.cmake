# The Debian package: tidorax_<version>-1_<arch>.deb, its dependencies computed by
# dpkg-shlibdeps from the installed programs.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tidorax)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quillon Software")
set(CPACK_PACKAGE_CONTACT "Quillon Software <tidorax@tidorax.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tray utility that deletes web cache, temporary files and cookies")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tidorax.example/")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The first line of the description is the summary above; this is the rest.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tidorax lives as an icon in the system tray and deletes what piles up
through Internet use and daily work: the web cache, the temporary folder,
cookie files (sparing the cookies the user keeps) and folders the user
lists. It cleans from the tray menu, from its options window, or silently
from the command line, can clean and then shut the computer down, and
reports how many files it removed.
.
It never follows a symbolic link out of a folder it cleans, never enters
another file system, and keeps files that a program holds open.")
include(CPack)
