# The Debian package: cpack -G DEB in the build directory writes tallowick2_VERSION_ARCH.deb.
# Its dependencies come from the shared libraries the programs link (dpkg-shlibdeps).
set(TALLOWICK2_PACKAGE_MAINTAINER "Tallowick2 developers <tallowick2@example.org>"
  CACHE STRING "Maintainer field of the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tallowick2)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tallowick2")
set(CPACK_PACKAGE_CONTACT ${TALLOWICK2_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "multistate capture-recapture model builder for CORVANE")
# The long description, in lines of at most 80 characters as Debian asks.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Tallowick2 builds multistate capture-recapture models with a robust design"
  "for the estimation engine CORVANE. It reads engine input files, edits their"
  "parameter index matrices in grids, fixes and renumbers parameters, edits the"
  "design matrix, writes the model in the PIM or the constraints form, runs the"
  "engine, converts raw capture histories to engine input and estimates"
  "closed-population capture probabilities period by period."
  "The command line tallowick2-model runs the same model-file commands for"
  "scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
