# Installing and packaging on Linux.
#
# `cmake --install build --prefix X` writes the portable program folder into X: what build/Seewolf/
# holds (the component "program", the default component of every install rule). The component
# "desktop" holds what a system installation adds under /usr: the launcher (as seewolf and
# seewolf-cli), the desktop entry, the AppStream metainfo and the icon. Its destinations are
# absolute, so a plain install leaves it out (EXCLUDE_FROM_ALL); CPack puts both components into
# the Debian package seewolf, the program folder at /opt/seewolf:
#   cmake --build build --target package     (or: cd build && cpack)
set(SEEWOLF_APP_ID io.github.seewolf.Seewolf)
set(SEEWOLF_PACKAGE_DIR /opt/seewolf)
set(packaging ${PROJECT_SOURCE_DIR}/packaging)

foreach(name seewolf seewolf-cli)
  install(PROGRAMS ${packaging}/seewolf-launcher.sh DESTINATION /usr/bin RENAME ${name}
          COMPONENT desktop EXCLUDE_FROM_ALL)
endforeach()
install(FILES ${packaging}/${SEEWOLF_APP_ID}.desktop DESTINATION /usr/share/applications
        COMPONENT desktop EXCLUDE_FROM_ALL)
# The release date is the configure day unless SOURCE_DATE_EPOCH fixes it (reproducible builds).
string(TIMESTAMP SEEWOLF_RELEASE_DATE "%Y-%m-%d" UTC)
configure_file(${packaging}/${SEEWOLF_APP_ID}.metainfo.xml.in ${CMAKE_BINARY_DIR}/${SEEWOLF_APP_ID}.metainfo.xml
               @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/${SEEWOLF_APP_ID}.metainfo.xml DESTINATION /usr/share/metainfo
        COMPONENT desktop EXCLUDE_FROM_ALL)
install(FILES ${packaging}/${SEEWOLF_APP_ID}.svg DESTINATION /usr/share/icons/hicolor/scalable/apps
        COMPONENT desktop EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME seewolf)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR ${SEEWOLF_COMPANY_NAME})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "career manager and launcher for Silent Hunter III")
set(CPACK_PACKAGE_DESCRIPTION
    "Seewolf lists the careers of the submarine simulation Silent Hunter III,
sets up new careers and launches the game: for each launch it changes a
chosen set of the game's files and backs up every changed file, so that the
installation rolls back exactly. The game runs under Wine or Proton.
Includes seewolf-cli, the same from a terminal. Each user runs a copy of the
program folder in ~/.local/share/seewolf, made and kept up to date by the
seewolf launcher.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${SEEWOLF_COMPANY_NAME} <seewolf@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
# The libraries (Qt 6 and libjpeg-turbo among them) as dpkg-shlibdeps finds them for the programs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "wine")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX ${SEEWOLF_PACKAGE_DIR})
set(CPACK_PACKAGING_INSTALL_PREFIX ${SEEWOLF_PACKAGE_DIR})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL program desktop)
include(CPack)
