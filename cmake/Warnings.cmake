# Warnings for the project's own targets; third-party headers are included as system headers.
function(vantrolix_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
endfunction()
