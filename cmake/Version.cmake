# The version both programs report: the project's, plus the commit when built from a git checkout.
# The commit is looked up at every build, not only at configure time, so a rebuilt checkout never
# reports an older commit.
find_package(Git QUIET)
set(VANTROLIX_VERSION_SOURCE ${CMAKE_BINARY_DIR}/generated/version_stamp.cpp)
add_custom_target(vantrolix_version_stamp
  BYPRODUCTS ${VANTROLIX_VERSION_SOURCE}
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DOUTPUT=${VANTROLIX_VERSION_SOURCE}
          -DVERSION=${PROJECT_VERSION} -DGIT_EXECUTABLE=${GIT_EXECUTABLE}
          -P ${PROJECT_SOURCE_DIR}/cmake/WriteVersion.cmake
  COMMENT "Looking up the version"
  VERBATIM)
