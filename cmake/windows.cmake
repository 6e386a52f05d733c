# Windows half of the build: the program, the Win32 layer tests and the
# end-to-end probe, all 32-bit, statically linked so nothing but system DLLs
# has to sit beside them.
enable_language(RC)

set(win32_system_libs comctl32 gdi32 user32 kernel32 advapi32 ole32 winmm uxtheme)

file(GLOB_RECURSE win32_sources CONFIGURE_DEPENDS src/*_win32.cpp)
list(FILTER win32_sources EXCLUDE REGEX "/src/app/")
add_library(kurvlux_win32 STATIC ${win32_sources})
target_link_libraries(kurvlux_win32 PUBLIC kurvlux_core ${win32_system_libs})
target_compile_definitions(kurvlux_win32 PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

add_link_options(-static -static-libgcc -static-libstdc++)

add_executable(Kurvlux WIN32 src/app/main_win32.cpp resources/kurvlux.rc)
target_link_libraries(Kurvlux PRIVATE kurvlux_win32)
target_link_options(Kurvlux PRIVATE -municode -mwindows)
include(cmake/package_windows.cmake)

# What a window under Wine shows, control by control: the release check reads
# the setup program's pages with it.
add_executable(window_texts tools/window_texts_win32.cpp)
target_compile_definitions(window_texts PRIVATE UNICODE _UNICODE)
target_link_options(window_texts PRIVATE -municode)

# GoogleTest from the sources the distribution ships, built with this
# toolchain. Where they are missing (a plain Windows build) only the program
# is built.
set(googletest_source /usr/src/googletest CACHE PATH "GoogleTest sources")
if(NOT EXISTS ${googletest_source}/CMakeLists.txt)
  message(STATUS "No GoogleTest sources at ${googletest_source}: building the program only")
  return()
endif()
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${googletest_source} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# GoogleTest's own sources do not build warning-free under -Wpedantic -Werror.
target_compile_options(gtest PRIVATE -w)
target_compile_options(gtest_main PRIVATE -w)

# One test program per layer: every Wine process start costs time.
file(GLOB win32_test_sources CONFIGURE_DEPENDS tests/win32/*.cpp)
add_executable(win32_tests ${win32_test_sources} tests/fakes/memory_image_store.cpp resources/kurvlux.rc)
target_include_directories(win32_tests PRIVATE tests)
target_link_libraries(win32_tests PRIVATE kurvlux_win32 gtest gtest_main)
add_test(NAME win32_tests COMMAND win32_tests)

file(GLOB e2e_sources CONFIGURE_DEPENDS tests/e2e/*.cpp)
if(e2e_sources)
  add_executable(e2e_probe ${e2e_sources} tests/fakes/memory_image_store.cpp tests/fakes/reference_canvas.cpp)
  target_include_directories(e2e_probe PRIVATE tests tools)
  target_link_libraries(e2e_probe PRIVATE kurvlux_win32 gtest gtest_main)
  # Measurements, not tests: the steps of tools/throughput.sh, driven through
  # the same probe by tests/e2e/run_e2e.sh.
  add_executable(throughput_probe tools/throughput/throughput_win32.cpp tests/e2e/probe.cpp)
  target_include_directories(throughput_probe PRIVATE tests tools)
  target_link_libraries(throughput_probe PRIVATE kurvlux_win32 gtest gtest_main)
endif()

# Where a pass or a completed frame spends its time, under Wine:
# tools/throughput.sh runs it.
add_executable(pass_profile tools/pass_profile_win32.cpp tools/pass_profile.cpp resources/kurvlux.rc)
target_include_directories(pass_profile PRIVATE src)
target_link_libraries(pass_profile PRIVATE kurvlux_win32)
