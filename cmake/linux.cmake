# Linux half of the build: the native program `kurvlux` over the portable core,
# its platform layer (GTK 3 window, termios ports, libserialport listing,
# POSIX clock) and the tests of that layer.
find_package(PkgConfig REQUIRED)
pkg_check_modules(GTK3 REQUIRED IMPORTED_TARGET gtk+-3.0)
pkg_check_modules(SERIALPORT REQUIRED IMPORTED_TARGET libserialport)
# Xlib itself for its I/O error handler, which GTK's own flags do not link.
pkg_check_modules(X11 REQUIRED IMPORTED_TARGET x11)

file(GLOB_RECURSE linux_sources CONFIGURE_DEPENDS src/*_gtk.cpp src/*_posix.cpp src/*_libserialport.cpp)
list(FILTER linux_sources EXCLUDE REGEX "/src/app/")
add_library(kurvlux_linux STATIC ${linux_sources})
target_link_libraries(kurvlux_linux PUBLIC kurvlux_core PkgConfig::GTK3 PkgConfig::SERIALPORT PkgConfig::X11)

# The window icon travels inside the program, so it shows before installing too.
file(READ ${CMAKE_SOURCE_DIR}/resources/kurvlux.png icon_hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," icon_bytes "${icon_hex}")
configure_file(cmake/window_icon_gtk.cpp.in ${CMAKE_BINARY_DIR}/generated/window_icon_data_gtk.cpp @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS resources/kurvlux.png)
target_sources(kurvlux_linux PRIVATE ${CMAKE_BINARY_DIR}/generated/window_icon_data_gtk.cpp)

if(EXISTS ${CMAKE_SOURCE_DIR}/src/app/main_gtk.cpp)
  # The endings sit beside the entry point: they reach both the ports and the window.
  add_executable(kurvlux src/app/main_gtk.cpp src/app/ending_signals_gtk.cpp src/app/ending_signals_posix.cpp
                         src/app/lost_display_gtk.cpp)
  target_link_libraries(kurvlux PRIVATE kurvlux_linux)
  target_compile_definitions(kurvlux PRIVATE KURVLUX_VERSION="${PROJECT_VERSION}")
  include(cmake/package_debian.cmake)
endif()

# Where a pass or a completed frame of the Linux program spends its time.
add_executable(pass_profile_gtk tools/pass_profile_gtk.cpp tools/pass_profile.cpp)
target_include_directories(pass_profile_gtk PRIVATE src)
target_link_libraries(pass_profile_gtk PRIVATE kurvlux_linux)

# The Linux layer against the real platform: GTK under Xvfb, termios on the
# board simulator's pseudo-terminals. One program, run by tests/linux/run_linux_tests.sh.
# Left out, with the end-to-end probe, where GoogleTest is missing.
pkg_check_modules(ATSPI QUIET IMPORTED_TARGET atspi-2 gobject-2.0 gdk-pixbuf-2.0)
if(NOT GTest_FOUND)
  list(APPEND kurvlux_left_out "linux_tests and e2e_linux (GoogleTest)")
else()
  file(GLOB linux_test_sources CONFIGURE_DEPENDS tests/linux/*.cpp)
  add_executable(linux_tests ${linux_test_sources} tests/fakes/memory_image_store.cpp)
  target_include_directories(linux_tests PRIVATE tests)
  target_link_libraries(linux_tests PRIVATE kurvlux_linux GTest::gtest GTest::gtest_main)

  # End-to-end: the real `kurvlux`, read through AT-SPI and X11, driven with
  # xdotool; run by tests/e2e_linux/run_e2e_linux.sh.
  if(NOT ATSPI_FOUND OR NOT X11_FOUND)
    list(APPEND kurvlux_left_out "e2e_linux (libatspi2.0-dev, libx11-dev)")
  else()
    file(GLOB e2e_linux_sources CONFIGURE_DEPENDS tests/e2e_linux/*.cpp)
    add_executable(e2e_linux ${e2e_linux_sources} tests/fakes/memory_image_store.cpp tests/fakes/reference_canvas.cpp)
    target_include_directories(e2e_linux PRIVATE tests tools)
    target_link_libraries(e2e_linux PRIVATE kurvlux_core PkgConfig::ATSPI PkgConfig::X11 GTest::gtest GTest::gtest_main)
    # Measurements, not tests: the steps of tools/throughput.sh --native, with
    # the serial layer its bare reader reads.
    add_executable(throughput_probe tools/throughput/throughput_native.cpp tools/throughput/waiting_native.cpp
                                    tools/throughput/recording_native.cpp
                                    tests/e2e_linux/probe_linux.cpp)
    target_include_directories(throughput_probe PRIVATE tests tools)
    target_link_libraries(throughput_probe PRIVATE kurvlux_linux PkgConfig::ATSPI PkgConfig::X11 GTest::gtest GTest::gtest_main)
  endif()
endif()
