# Installing the Linux program: under the prefix with `cmake --install`, or as
# a Debian package that `cpack -G DEB` in the build directory makes
# (kurvlux_<version>_<arch>.deb, files under /usr, its dependencies read off
# the binary by dpkg-shlibdeps).
include(GNUInstallDirs)

# Debian keeps manual pages gzip-compressed; -n leaves out the name and time,
# so the same page gives the same package.
set(man_page ${CMAKE_BINARY_DIR}/generated/kurvlux.1)
add_custom_command(OUTPUT ${man_page}.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/resources/kurvlux.1 ${man_page}
  COMMAND gzip -9nf ${man_page}
  DEPENDS resources/kurvlux.1 VERBATIM)
add_custom_target(kurvlux_man_page DEPENDS ${man_page}.gz)
add_dependencies(kurvlux kurvlux_man_page)

install(TARGETS kurvlux RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES resources/kurvlux.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/kurvlux.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps)
install(FILES resources/kurvlux.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES resources/invalid.kurvlux.kurvlux.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${man_page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
if(EXISTS ${CMAKE_SOURCE_DIR}/LICENSE)
  install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kurvlux RENAME copyright)
endif()

# The package holds the program alone: packing builds that one target instead
# of everything (the tests and benchmarks would take minutes).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)
set(CPACK_INSTALL_COMMANDS "\"${CMAKE_COMMAND}\" --build \"${CMAKE_BINARY_DIR}\" --target kurvlux")

set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kurvlux)
set(CPACK_PACKAGE_VENDOR "the Kurvlux developers")
set(CPACK_PACKAGE_CONTACT "the Kurvlux developers <dev@kurvlux.invalid>")
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
set(CPACK_STRIP_FILES ON)
include(CPack)
