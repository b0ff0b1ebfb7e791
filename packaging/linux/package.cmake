# The Debian package, kivo_VERSION-REVISION_amd64.deb, built by CPack's DEB
# generator (`make package` from the release tree build-package/; the
# package tests of `make test` from build/). It holds what `cmake --install`
# installs (app/linux.cmake) and the files only a package needs, which the
# install component `package` adds: the AppStream metadata, the manual pages,
# and the copyright file and changelog Debian asks every package for.
# Included by the top-level CMakeLists.txt on Linux.

include(GNUInstallDirs)

# The release date of PROJECT_VERSION, shown by software centres and written
# into the changelog; the package revision starts at 1 for each version.
set(KIVO_RELEASE_DATE 2026-12-08)
set(KIVO_PACKAGE_REVISION 1)
set(KIVO_PACKAGE_MAINTAINER "Welmark <packages@kivo.example>")
set(KIVO_APPSTREAM_ID com.welmark.kivo)

# The changelog's date is RFC 2822, in English whatever the locale.
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C date -u -R -d "${KIVO_RELEASE_DATE} 12:00"
                OUTPUT_VARIABLE KIVO_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE _date_status)
if(NOT _date_status EQUAL 0)
  message(FATAL_ERROR "date cannot read the release date ${KIVO_RELEASE_DATE}")
endif()

set(_package_dir ${CMAKE_BINARY_DIR}/packaging)
set(_metainfo ${_package_dir}/${KIVO_APPSTREAM_ID}.metainfo.xml)
configure_file(${CMAKE_CURRENT_LIST_DIR}/${KIVO_APPSTREAM_ID}.metainfo.xml.in ${_metainfo} @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.Debian.in ${_package_dir}/changelog.Debian @ONLY)

# Debian wants manual pages and changelogs gzipped at the highest level,
# without a time stamp or name inside (-n), so a rebuild gives the same bytes.
set(_pages kivo.1)
if(KIVO_BUILD_TOOLS)
  list(APPEND _pages kivo-render.1)
endif()
set(_gzipped)
foreach(_source IN LISTS _pages ITEMS changelog.Debian)
  if(_source STREQUAL "changelog.Debian")
    set(_input ${_package_dir}/changelog.Debian)
  else()
    set(_input ${CMAKE_CURRENT_LIST_DIR}/${_source})
  endif()
  set(_copy ${_package_dir}/gz/${_source})
  add_custom_command(OUTPUT ${_copy}.gz
                     COMMAND ${CMAKE_COMMAND} -E copy ${_input} ${_copy}
                     COMMAND gzip -9nf ${_copy}
                     DEPENDS ${_input}
                     COMMENT "Compressing ${_source}"
                     VERBATIM)
  list(APPEND _gzipped ${_copy}.gz)
endforeach()
add_custom_target(kivo_package_files ALL DEPENDS ${_gzipped})

# Not part of a plain `cmake --install`: the package adds this component.
install(FILES ${_metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT package
        EXCLUDE_FROM_ALL)
list(FILTER _gzipped INCLUDE REGEX "\\.1\\.gz$")
install(FILES ${_gzipped} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT package
        EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${_package_dir}/gz/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT package EXCLUDE_FROM_ALL)
# app/linux.cmake installs kivo-render as a plain file (its target comes
# later), which a stripping install leaves as it is: strip it here.
if(KIVO_BUILD_TOOLS)
  install(CODE "if(CMAKE_INSTALL_DO_STRIP)
  execute_process(COMMAND \"${CMAKE_STRIP}\"
                  \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/kivo-render\"
                  COMMAND_ERROR_IS_FATAL ANY)
endif()" COMPONENT package EXCLUDE_FROM_ALL)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kivo)
set(CPACK_PACKAGE_VENDOR Welmark)
set(CPACK_PACKAGE_CONTACT ${KIVO_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_HOMEPAGE_URL https://kivo.example/)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "live clock in the title bar of the window in front")
# No double quotes or semicolons: CPack writes this into its configuration
# file as a CMake string.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Kivo keeps a live clock in the title bar of whatever window is in\n"
       "front, joined to the window's own title, and gives every window its\n"
       "own title back when it leaves the front or when Kivo ends. It gives\n"
       "time signals at every full hour (a chime, a cuckoo-clock count, a\n"
       "flash or a shake of the window) and a daily alarm, and works out of\n"
       "sight with its icon in the system tray. On sway and i3 the clock goes\n"
       "into the compositor's own title bars, no program's title changed;\n"
       "under other Wayland compositors it reaches the windows of X11 programs.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# CPack's scratch tree stays in the build tree, the package goes to dist/.
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/cpack)
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_SOURCE_DIR}/dist)
# Everything `cmake --install` puts in place, then the package's own files.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};kivo;ALL;/"
                                 "${CMAKE_BINARY_DIR};kivo;package;/")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                                GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${KIVO_PACKAGE_REVISION})
# Proprietary (packaging/linux/copyright): Debian files such a package in
# its non-free area.
set(CPACK_DEBIAN_PACKAGE_SECTION non-free/utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What dpkg-shlibdeps cannot see: Qt loads its X11 platform plugin at run
# time (without it Kivo's windows cannot open), and on sway its Wayland
# one; the chimes and the alarm sound load libsndfile and ALSA at the first
# sound; an alarm file that is not a program is opened with xdg-open.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libsndfile1 (>= 1.0.25), libasound2 (>= 1.0.16)")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
