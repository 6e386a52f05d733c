# Native (Linux) half of the build: unit tests, benchmarks, the board simulator.
# The program and the simulator need no test package: without GoogleTest (or
# the accessibility and X11 headers of the end-to-end probe) the test targets
# are left out and configuring says which.
find_package(GTest QUIET)
set(kurvlux_left_out "")

if(GTest_FOUND)
  file(GLOB unit_test_sources CONFIGURE_DEPENDS tests/unit/*.cpp tests/fakes/*.cpp)
  add_executable(unit_tests ${unit_test_sources})
  target_include_directories(unit_tests PRIVATE tests tools)
  target_link_libraries(unit_tests PRIVATE kurvlux_core GTest::gtest GTest::gtest_main)
  add_test(NAME unit_tests COMMAND unit_tests)
else()
  list(APPEND kurvlux_left_out "unit_tests (GoogleTest)")
endif()

file(GLOB simulator_sources CONFIGURE_DEPENDS tools/board_simulator/*.cpp)
if(simulator_sources)
  add_executable(board_simulator ${simulator_sources})
  target_link_libraries(board_simulator PRIVATE kurvlux_core)
endif()

# Benchmarks are built with the tests but never run by them.
find_package(benchmark QUIET)
file(GLOB bench_sources CONFIGURE_DEPENDS bench/*.cpp)
if(benchmark_FOUND AND bench_sources AND NOT KURVLUX_SANITIZE)
  add_executable(kurvlux_bench ${bench_sources} tests/fakes/memory_image_store.cpp)
  target_include_directories(kurvlux_bench PRIVATE tests)
  target_link_libraries(kurvlux_bench PRIVATE kurvlux_core benchmark::benchmark)
endif()

# Fuzz targets (clang's libFuzzer): one program per tests/fuzz/*_fuzz.cpp,
# built in a configuration of their own with -DKURVLUX_FUZZ=ON and clang++.
option(KURVLUX_FUZZ "Build the libFuzzer targets (needs clang++)" OFF)
if(KURVLUX_FUZZ)
  set(fuzz_flags -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all)
  target_compile_options(kurvlux_core PRIVATE ${fuzz_flags})
  file(GLOB fuzz_sources CONFIGURE_DEPENDS tests/fuzz/*_fuzz.cpp)
  foreach(source ${fuzz_sources})
    get_filename_component(name ${source} NAME_WE)
    add_executable(${name} ${source})
    target_include_directories(${name} PRIVATE tests)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${name} PRIVATE kurvlux_core)
  endforeach()
endif()

# The Linux program (GTK 3, termios, libserialport) and its in-process tests.
# Not in the fuzzing configuration, which builds with clang and needs none of it.
if(NOT KURVLUX_FUZZ)
  include(cmake/linux.cmake)
endif()

if(kurvlux_left_out)
  list(JOIN kurvlux_left_out ", " left_out_text)
  message(STATUS "Test packages missing: building the programs only, without ${left_out_text}")
endif()
