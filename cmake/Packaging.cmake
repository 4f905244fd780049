# What `cmake --install` puts beside the programs (manual pages, completion, desktop metadata,
# examples, Debian's copyright and changelog), and the Debian package CPack makes of it all.
include(GNUInstallDirs)

set(VANTROLIX_MAINTAINER "The Vantrolix developers <maintainers@vantrolix.invalid>"
    CACHE STRING "Maintainer named in the Debian package and its changelog")

# Dates in the manual pages, the metadata and the changelog: the date of the commit built, so a
# rebuild of the same source makes the same files; the configure date outside a checkout.
set(_commit_date "")
if(GIT_EXECUTABLE AND EXISTS "${PROJECT_SOURCE_DIR}/.git")
  execute_process(COMMAND "${GIT_EXECUTABLE}" log -1 --format=%ct
                  WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}" OUTPUT_VARIABLE _commit_date
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
if(_commit_date)
  set(_saved_epoch "$ENV{SOURCE_DATE_EPOCH}")
  set(ENV{SOURCE_DATE_EPOCH} "${_commit_date}")
endif()
string(TIMESTAMP VANTROLIX_MAN_DATE "%Y-%m-%d" UTC)
set(VANTROLIX_RELEASE_DATE "${VANTROLIX_MAN_DATE}")
string(TIMESTAMP VANTROLIX_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
if(_commit_date)
  set(ENV{SOURCE_DATE_EPOCH} "${_saved_epoch}")
endif()

set(_gen ${CMAKE_BINARY_DIR}/packaging)
set(VANTROLIX_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/vantrolix)
# Named in the manual page, where the examples are once installed.
set(VANTROLIX_EXAMPLES_DIR ${CMAKE_INSTALL_FULL_DATADIR}/doc/vantrolix/examples)

# Debian keeps manual pages and changelogs compressed, without a time stamp in the gzip header.
function(vantrolix_gzip source output)
  add_custom_command(OUTPUT ${output}
    COMMAND gzip -9nc ${source} > ${output}
    DEPENDS ${source}
    VERBATIM)
endfunction()

set(_pages vantrolix-cli)
if(TARGET vantrolix)
  list(APPEND _pages vantrolix)
endif()
set(_compressed)
foreach(page ${_pages})
  configure_file(${PROJECT_SOURCE_DIR}/docs/man/${page}.1.in ${_gen}/${page}.1 @ONLY)
  vantrolix_gzip(${_gen}/${page}.1 ${_gen}/${page}.1.gz)
  list(APPEND _compressed ${_gen}/${page}.1.gz)
  install(FILES ${_gen}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${_gen}/changelog @ONLY)
vantrolix_gzip(${_gen}/changelog ${_gen}/changelog.gz)
list(APPEND _compressed ${_gen}/changelog.gz)
add_custom_target(vantrolix_compressed_docs ALL DEPENDS ${_compressed})

install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${_gen}/changelog.gz DESTINATION ${VANTROLIX_DOC_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/docs/bash-completion/vantrolix-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

if(TARGET vantrolix)
  configure_file(${PROJECT_SOURCE_DIR}/resources/org.vantrolix.vantrolix.metainfo.xml.in
                 ${_gen}/org.vantrolix.vantrolix.metainfo.xml @ONLY)
  install(FILES ${_gen}/org.vantrolix.vantrolix.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${VANTROLIX_DOC_DIR}/examples)

# `cpack -G DEB` in the build folder makes vantrolix_<version>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrolix)
set(CPACK_PACKAGE_VENDOR "The Vantrolix developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${VANTROLIX_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "test tool for RS-232 controlled audio/video devices")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Vantrolix sends commands to surround processors, amplifiers, tuners, DVD and
SACD players over a serial line and logs their answers: type a command as
byte values or build it from the catalogue of models, variables and values,
see the encoded packet and its meaning, send it, and watch every packet the
device sends back in a time-stamped, decoded log with framing, checksum and
line errors shown.
.
The package holds the desktop program vantrolix, with a built-in simulated
device, and the console tool vantrolix-cli, which encodes, decodes and
monitors packets from scripts and terminals.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
