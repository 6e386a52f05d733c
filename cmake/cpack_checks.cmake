# Read by cpack before it packs (CPACK_PROJECT_CONFIG_FILE). Without
# dpkg-shlibdeps, cpack would only warn and write a package with no Depends,
# which apt installs and which then lacks its libraries: refuse instead.
if(CPACK_GENERATOR STREQUAL "DEB" AND CPACK_DEBIAN_PACKAGE_SHLIBDEPS)
  find_program(dpkg_shlibdeps dpkg-shlibdeps)
  if(NOT dpkg_shlibdeps)
    message(FATAL_ERROR "dpkg-shlibdeps is missing (Debian package dpkg-dev): "
      "without it the package would name none of the libraries it needs.")
  endif()
endif()
