# Reads resources/releases.txt, the one place for versions and their dates.
# Included before project(), so the project's version is its first entry:
#   KURVLUX_VERSION, KURVLUX_RELEASE_DATE   the release being built
#   KURVLUX_RELEASES                        every "<version> <date>" line, newest first
#   KURVLUX_RELEASE_NOTES_<version>         that release's note lines, as written
set(release_history ${CMAKE_CURRENT_LIST_DIR}/../resources/releases.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${release_history})
file(STRINGS ${release_history} release_lines REGEX "^[^#]")
set(KURVLUX_RELEASES "")
foreach(line IN LISTS release_lines)
  if(line MATCHES "^([0-9]+\\.[0-9]+\\.[0-9]+) ([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9])$")
    set(release_version ${CMAKE_MATCH_1})
    list(APPEND KURVLUX_RELEASES "${CMAKE_MATCH_1} ${CMAKE_MATCH_2}")
    set(KURVLUX_RELEASE_NOTES_${release_version} "")
  elseif(line MATCHES "^  +[^ ]" AND DEFINED release_version)
    string(APPEND KURVLUX_RELEASE_NOTES_${release_version} "${line}\n")
  else()
    message(FATAL_ERROR "resources/releases.txt: neither \"<version> <YYYY-MM-DD>\" nor a note "
      "indented by two spaces under one: \"${line}\"")
  endif()
endforeach()
list(GET KURVLUX_RELEASES 0 current_release)
string(REPLACE " " ";" current_release "${current_release}")
list(GET current_release 0 KURVLUX_VERSION)
list(GET current_release 1 KURVLUX_RELEASE_DATE)

# The time every release file gives its contents: SOURCE_DATE_EPOCH when the
# caller set one (scripts/package does, from the same date), else midnight
# UTC of the release date.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(KURVLUX_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND date -u -d "${KURVLUX_RELEASE_DATE}" +%s
    OUTPUT_VARIABLE KURVLUX_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
endif()
