# Windows release files: the version resource and manifest of Kurvlux.exe,
# then, with the target `windows_packages`, the installer for managed and
# silent installs Kurvlux-<version>.msi (built with wixl, Debian package
# `wixl`), the setup program with pages Kurvlux-<version>-setup.exe (makensis,
# package `nsis`; wixl writes no dialogs) and Kurvlux-<version>-win32.zip for
# people who install nothing. All hold the stripped program, the licence and
# a README.txt, with Windows line endings, and the same sources give the same
# bytes: every file dated KURVLUX_SOURCE_DATE_EPOCH, in UTC.
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
set(setup ${CMAKE_BINARY_DIR}/${release_name}-setup.exe)
set(zip ${CMAKE_BINARY_DIR}/${release_name}-win32.zip)
# Only the release files need these (bash scripts/setup installs them): where
# one is missing, the program and its tests still build, and building the
# release files fails on <TOOL>_EXECUTABLE-NOTFOUND.
foreach(tool wixl msiinfo makensis zip perl)
  string(TOUPPER ${tool} tool_variable)
  find_program(${tool_variable}_EXECUTABLE ${tool})
endforeach()
set(utc ${CMAKE_COMMAND} -E env TZ=UTC SOURCE_DATE_EPOCH=${KURVLUX_SOURCE_DATE_EPOCH})

# The program beside its documents, stripped (the build's own Kurvlux.exe
# keeps its symbols), with the release's time and the same permissions
# whatever the umask: the zip's contents, and the files both installers take
# (wixl and makensis find them by relative names, from where they run).
set(release_files ${zip_root}/Kurvlux.exe ${zip_root}/README.txt ${zip_root}/LICENSE.txt)
set(release_stamp ${CMAKE_BINARY_DIR}/release_files.stamp)
add_custom_command(OUTPUT ${release_stamp}
  COMMAND ${CMAKE_STRIP} --strip-all -o ${zip_root}/Kurvlux.exe $<TARGET_FILE:Kurvlux>
  COMMAND chmod 0644 ${release_files}
  COMMAND touch -d @${KURVLUX_SOURCE_DATE_EPOCH} ${release_files}
  COMMAND ${CMAKE_COMMAND} -E touch ${release_stamp}
  DEPENDS Kurvlux ${zip_root}/README.txt ${zip_root}/LICENSE.txt VERBATIM)
file(RELATIVE_PATH icon ${zip_root} ${CMAKE_SOURCE_DIR}/resources/kurvlux.ico)

# The MSI's ProductCode is the name-based (SHA-1, version 5) UUID of the
# version in the UpgradeCode's namespace: every build of one version is one
# product, which installs once, and a new version is a new product that
# replaces the old. The package code, which tells packages apart, is derived
# the same way from the version and the program's bytes; the perl script puts
# it and the release time where wixl writes random and current ones.
set(upgrade_code 70061F0D-CFEA-4051-B53C-BDCC1E7D6866)
string(UUID product_code NAMESPACE ${upgrade_code} NAME "Kurvlux ${PROJECT_VERSION}" TYPE SHA1 UPPER)
set(msi_script ${CMAKE_BINARY_DIR}/msi.cmake)
file(CONFIGURE OUTPUT ${msi_script} @ONLY CONTENT [[
# The clock's time, not SOURCE_DATE_EPOCH (which string(TIMESTAMP) would give).
execute_process(COMMAND date +%s OUTPUT_VARIABLE started OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND "@WIXL_EXECUTABLE@" --arch x86 --output "@msi@"
  -D "Version=@PROJECT_VERSION@" -D "Vendor=@KURVLUX_VENDOR@" -D "Summary=@KURVLUX_SUMMARY_GERMAN@"
  -D "Icon=@icon@" -D "ProductCode=@product_code@" -D "UpgradeCode=@upgrade_code@"
  "@CMAKE_SOURCE_DIR@/resources/kurvlux.wxs" COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND "@MSIINFO_EXECUTABLE@" suminfo "@msi@" OUTPUT_VARIABLE summary COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCH "{[0-9A-F-]+}" random_code "${summary}")
file(SHA256 "@zip_root@/Kurvlux.exe" program_hash)
string(UUID package_code NAMESPACE @product_code@ NAME "${program_hash}" TYPE SHA1 UPPER)
execute_process(COMMAND "@PERL_EXECUTABLE@" "@CMAKE_SOURCE_DIR@/cmake/msi_reproducible.pl" "@msi@"
  "${random_code}" "{${package_code}}" @KURVLUX_SOURCE_DATE_EPOCH@ "${started}" COMMAND_ERROR_IS_FATAL ANY)
]])
add_custom_command(OUTPUT ${msi}
  COMMAND ${utc} ${CMAKE_COMMAND} -P ${msi_script}
  WORKING_DIRECTORY ${zip_root}
  DEPENDS ${release_stamp} ${msi_script} resources/kurvlux.wxs resources/kurvlux.ico cmake/msi_reproducible.pl
  VERBATIM)
add_custom_command(OUTPUT ${setup}
  COMMAND ${utc} ${MAKENSIS_EXECUTABLE} -V2 -NOCD -DOUTFILE=${setup} -DVERSION=${PROJECT_VERSION}
    -DVERSION_DOTTED=${version_dotted} -DVENDOR=${KURVLUX_VENDOR} -DSUMMARY=${KURVLUX_SUMMARY_GERMAN}
    -DCOPYRIGHT=${KURVLUX_COPYRIGHT} -DICON=${icon} -DUPGRADE_CODE=${upgrade_code} ${CMAKE_SOURCE_DIR}/resources/kurvlux.nsi
  WORKING_DIRECTORY ${zip_root}
  DEPENDS ${release_stamp} resources/kurvlux.nsi resources/kurvlux.ico
  VERBATIM)
# Entries without extra fields (-X: no access or change times, no owner), so
# only the time given, read in UTC, goes into the zip.
add_custom_command(OUTPUT ${zip}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${zip}
  COMMAND ${utc} ${ZIP_EXECUTABLE} -q -X -D ${zip}
    ${release_name}/Kurvlux.exe ${release_name}/LICENSE.txt ${release_name}/README.txt
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/release
  DEPENDS ${release_stamp}
  VERBATIM)
add_custom_target(windows_packages DEPENDS ${msi} ${setup} ${zip})
