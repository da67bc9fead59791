# One place for the project's compiler warnings. Every target calls foliant_warnings().
# FOLIANT_WERROR turns them into errors; the test script and CI switch it on.
option(FOLIANT_WERROR "Treat compiler warnings as errors" OFF)

function(foliant_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
    if(FOLIANT_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# Shared libraries refuse to link with unresolved symbols, so a missing dependency shows at
# build time rather than when a program loads them. Not in the fuzz build: clang links the
# sanitizer and coverage runtimes into the fuzz programs only, so its libraries leave those
# symbols for the program to provide.
function(foliant_no_undefined target)
    if(NOT FOLIANT_BUILD_FUZZERS)
        target_link_options(${target} PRIVATE "LINKER:--no-undefined")
    endif()
endfunction()
