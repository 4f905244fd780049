# RE2, the linear-time regular expression engine that matches every pattern a user writes: from
# Debian's libre2-dev, or for the Windows build from its source package cross-built by
# scripts/debian-source-build (scripts/build-windows passes the folder as VANTROLIX_RE2_PREFIX).
if(TARGET vantrolix_re2)
  return()
endif()
if(WIN32)
  set(VANTROLIX_RE2_PREFIX "" CACHE PATH "RE2 built for this target (include/ and lib/libre2.a)")
  if(NOT EXISTS "${VANTROLIX_RE2_PREFIX}/include/re2/re2.h")
    message(FATAL_ERROR "RE2 for Windows is missing: scripts/build-windows builds it and sets VANTROLIX_RE2_PREFIX")
  endif()
  add_library(vantrolix_re2 STATIC IMPORTED GLOBAL)
  set_target_properties(vantrolix_re2 PROPERTIES
    IMPORTED_LOCATION "${VANTROLIX_RE2_PREFIX}/lib/libre2.a"
    INTERFACE_INCLUDE_DIRECTORIES "${VANTROLIX_RE2_PREFIX}/include")
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(RE2 REQUIRED IMPORTED_TARGET GLOBAL re2)
  add_library(vantrolix_re2 ALIAS PkgConfig::RE2)
endif()
