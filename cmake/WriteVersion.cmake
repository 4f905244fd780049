# Writes the source file that holds the version the programs report: VERSION, plus the commit of
# the checkout in SOURCE_DIR when there is one ("modified" when its tracked files differ from it).
# Run at every build; the file is rewritten only when its text changes, so nothing recompiles
# needlessly.
set(commit "")
if(GIT_EXECUTABLE AND EXISTS "${SOURCE_DIR}/.git")
  execute_process(COMMAND "${GIT_EXECUTABLE}" rev-parse --short=12 HEAD
                  WORKING_DIRECTORY "${SOURCE_DIR}" OUTPUT_VARIABLE head RESULT_VARIABLE failed
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(NOT failed AND head)
    set(commit "${head}")
    execute_process(COMMAND "${GIT_EXECUTABLE}" diff-index --quiet HEAD --
                    WORKING_DIRECTORY "${SOURCE_DIR}" RESULT_VARIABLE modified ERROR_QUIET)
    if(modified)
      string(APPEND commit ", modified")
    endif()
  endif()
endif()
file(CONFIGURE OUTPUT "${OUTPUT}" CONTENT [[
#include "version/version.h"

const char* const kVantrolixVersion = "@VERSION@";
const char* const kVantrolixCommit = "@commit@";
]] @ONLY)
