# Windows release files: the version resource and manifest of Kurvlux.exe,
# then, with the target `windows_packages`, the installer
# Kurvlux-<version>.msi (built with wixl, Debian package `wixl`) and
# Kurvlux-<version>-win32.zip for people who install nothing. Both hold the
# program, the licence and a README.txt, with Windows line endings.
set(generated ${CMAKE_BINARY_DIR}/generated)
set(version_parts ${PROJECT_VERSION_MAJOR} ${PROJECT_VERSION_MINOR})
foreach(part PATCH TWEAK)
  if("${PROJECT_VERSION_${part}}" STREQUAL "")
    list(APPEND version_parts 0)
  else()
    list(APPEND version_parts ${PROJECT_VERSION_${part}})
  endif()
endforeach()
list(JOIN version_parts "." version_dotted)
list(JOIN version_parts "," version_commas)

# The manifest is found through the resource script's include path, so every
# program that compiles resources/kurvlux.rc gets the same one.
configure_file(resources/kurvlux.manifest.in ${generated}/kurvlux.manifest @ONLY)
set_property(SOURCE resources/kurvlux.rc APPEND PROPERTY INCLUDE_DIRECTORIES ${generated})
configure_file(resources/kurvlux_version.rc.in ${generated}/kurvlux_version.rc @ONLY)
target_sources(Kurvlux PRIVATE ${generated}/kurvlux_version.rc)

# README.txt carries the board sketch of README.md, so the two never differ.
file(READ README.md readme)
# The sketch is the C block right after the marker, whatever other blocks
# the README shows.
set(sketch_marker "<!-- board sketch -->\n```c\n")
string(FIND "${readme}" "${sketch_marker}" sketch_start)
if(sketch_start EQUAL -1)
  message(FATAL_ERROR "README.md: no C block after the marker <!-- board sketch -->")
endif()
string(LENGTH "${sketch_marker}" sketch_marker_length)
math(EXPR sketch_start "${sketch_start} + ${sketch_marker_length}")
string(SUBSTRING "${readme}" ${sketch_start} -1 board_sketch)
string(FIND "${board_sketch}" "```" sketch_end)
string(SUBSTRING "${board_sketch}" 0 ${sketch_end} board_sketch)
string(STRIP "${board_sketch}" board_sketch)
# Line ends inside a substituted value are left as they are.
string(REPLACE "\n" "\r\n" board_sketch "${board_sketch}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS README.md LICENSE)

set(release_name Kurvlux-${PROJECT_VERSION})
set(zip_root ${CMAKE_BINARY_DIR}/release/${release_name})
configure_file(resources/README.txt.in ${zip_root}/README.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(LICENSE ${zip_root}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)

set(msi ${CMAKE_BINARY_DIR}/${release_name}.msi)
set(zip ${CMAKE_BINARY_DIR}/${release_name}-win32.zip)
find_program(WIXL_EXECUTABLE wixl)
if(WIXL_EXECUTABLE)
  set(wixl_command ${WIXL_EXECUTABLE})
else()
  set(wixl_command ${CMAKE_COMMAND} -E echo "wixl is missing (Debian package wixl): no MSI" COMMAND ${CMAKE_COMMAND} -E false)
endif()
# The program beside its documents: the zip's contents, and the files the MSI
# takes (wixl finds them by relative names only, from where it runs).
add_custom_command(OUTPUT ${zip_root}/Kurvlux.exe
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Kurvlux> ${zip_root}/Kurvlux.exe
  DEPENDS Kurvlux VERBATIM)
set(release_files ${zip_root}/Kurvlux.exe ${zip_root}/README.txt ${zip_root}/LICENSE.txt)
file(RELATIVE_PATH icon ${zip_root} ${CMAKE_SOURCE_DIR}/resources/kurvlux.ico)
add_custom_command(OUTPUT ${msi}
  COMMAND ${wixl_command} --arch x86 --output ${msi}
    -D Version=${PROJECT_VERSION} -D "Vendor=${KURVLUX_VENDOR}" -D "Summary=${KURVLUX_SUMMARY}"
    -D Icon=${icon} ${CMAKE_SOURCE_DIR}/resources/kurvlux.wxs
  WORKING_DIRECTORY ${zip_root}
  DEPENDS ${release_files} resources/kurvlux.wxs resources/kurvlux.ico
  VERBATIM)
# Every entry dated on the release day, so the same sources give the same zip.
add_custom_command(OUTPUT ${zip}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip --mtime=${KURVLUX_RELEASE_DATE}
    ${release_name}/Kurvlux.exe ${release_name}/LICENSE.txt ${release_name}/README.txt
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/release
  DEPENDS ${release_files}
  VERBATIM)
add_custom_target(windows_packages DEPENDS ${msi} ${zip})
