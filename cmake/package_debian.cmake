# Installing the Linux program: under the prefix with `cmake --install`, or as
# a Debian package that `cpack -G DEB` in the build directory makes
# (kurvlux_<version>_<arch>.deb, files under /usr, its dependencies read off
# the binary by dpkg-shlibdeps). scripts/package builds it for release, with
# Debian's build flags.
include(GNUInstallDirs)

# Debian keeps manual pages gzip-compressed; -n leaves out the name and time,
# so the same page gives the same package. The page's header names the
# release and its date.
set(man_page ${CMAKE_BINARY_DIR}/generated/kurvlux.1)
configure_file(resources/kurvlux.1 ${man_page} @ONLY)
add_custom_command(OUTPUT ${man_page}.gz
  COMMAND gzip -9nkf ${man_page}
  DEPENDS ${man_page} VERBATIM)
add_custom_target(kurvlux_man_page DEPENDS ${man_page}.gz)
add_dependencies(kurvlux kurvlux_man_page)

install(TARGETS kurvlux RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES resources/kurvlux.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/kurvlux.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps)
install(FILES resources/kurvlux.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${man_page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kurvlux RENAME copyright)

# A package without a Debian revision is a native one, whose changelog is
# doc/kurvlux/changelog.gz, compressed like the manual page: every release of
# the history with its notes. The AppStream data lists the same releases.
set(CPACK_PACKAGE_CONTACT "${KURVLUX_VENDOR} <dev@kurvlux.invalid>")
set(changelog_text "")
set(appstream_releases "")
foreach(release IN LISTS KURVLUX_RELEASES)
  string(REPLACE " " ";" release "${release}")
  list(GET release 0 release_version)
  list(GET release 1 release_date)
  string(APPEND appstream_releases "\n    <release version=\"${release_version}\" date=\"${release_date}\"/>")
  execute_process(COMMAND date -u -R -d ${release_date}
    OUTPUT_VARIABLE release_date_rfc2822 OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  string(APPEND changelog_text "kurvlux (${release_version}) unstable; urgency=medium\n\n"
    "${KURVLUX_RELEASE_NOTES_${release_version}}\n -- ${CPACK_PACKAGE_CONTACT}  ${release_date_rfc2822}\n\n")
endforeach()
string(STRIP "${changelog_text}" changelog_text)
set(changelog ${CMAKE_BINARY_DIR}/generated/changelog)
file(CONFIGURE OUTPUT ${changelog} CONTENT "${changelog_text}\n" @ONLY)
set(metainfo ${CMAKE_BINARY_DIR}/generated/invalid.kurvlux.kurvlux.metainfo.xml)
configure_file(resources/invalid.kurvlux.kurvlux.metainfo.xml.in ${metainfo} @ONLY)
install(FILES ${metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
add_custom_command(OUTPUT ${changelog}.gz
  COMMAND gzip -9nkf ${changelog}
  DEPENDS ${changelog} VERBATIM)
add_custom_target(kurvlux_changelog DEPENDS ${changelog}.gz)
add_dependencies(kurvlux kurvlux_changelog)
install(FILES ${changelog}.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kurvlux)

# The package holds the program alone: packing builds that one target instead
# of everything (the tests and benchmarks would take minutes).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)
set(CPACK_INSTALL_COMMANDS "\"${CMAKE_COMMAND}\" --build \"${CMAKE_BINARY_DIR}\" --target kurvlux")

set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kurvlux)
set(CPACK_PACKAGE_VENDOR ${KURVLUX_VENDOR})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "oscilloscope and chart recorder for a board on a serial port")
# Lines of at most 80 characters, as dpkg shows them.
set(CPACK_PACKAGE_DESCRIPTION [[Kurvlux reads a microcontroller board that sends one byte per sample over a
serial port (250000 baud, as the example Arduino sketch shown by its Info
button does) and draws the samples on a 1000 x 256 canvas: as triggered
oscilloscope frames, or as a rolling chart with seven time bases. Its status
bar shows the frame rate, the sample rate and the load of the serial line.
The user interface is German.]])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/cmake/cpack_checks.cmake)
set(CPACK_STRIP_FILES ON)
include(CPack)
