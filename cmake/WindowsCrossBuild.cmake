# What a Windows build needs beyond the toolchain: the Win32 system libraries the serial backend
# calls, and CLI11 and GoogleTest taken from this machine's Debian packages. Their Linux headers
# directory must never reach the cross-compiler, so CLI11's headers are copied on their own and
# GoogleTest is built from its source package.
# MinGW-w64 offers the POSIX reentrant time functions (localtime_r) when asked for them.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 _POSIX_THREAD_SAFE_FUNCTIONS)
# Release programs are shipped as they are built, one file each: stripped.
add_link_options($<$<CONFIG:Release>:-s>)

find_path(VANTROLIX_CLI11_INCLUDE CLI/CLI.hpp PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT VANTROLIX_CLI11_INCLUDE)
  message(FATAL_ERROR "CLI11's headers are missing: apt-get install libcli11-dev")
endif()
file(COPY ${VANTROLIX_CLI11_INCLUDE}/CLI DESTINATION ${CMAKE_BINARY_DIR}/third_party/include)
add_library(CLI11::CLI11 INTERFACE IMPORTED)
set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${CMAKE_BINARY_DIR}/third_party/include)
set(CLI11_FOUND TRUE)

set(VANTROLIX_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's source, built with the project")
if(VANTROLIX_TESTS)
  if(NOT EXISTS ${VANTROLIX_GTEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest's source is missing at ${VANTROLIX_GTEST_SOURCE}: apt-get install googletest")
  endif()
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${VANTROLIX_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/third_party/googletest EXCLUDE_FROM_ALL SYSTEM)
  set(GTest_FOUND TRUE)
endif()
