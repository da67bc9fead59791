# One place for the project's compiler warnings. Every target calls foliant_warnings().
# FOLIANT_WERROR turns them into errors; the test script and CI switch it on.
option(FOLIANT_WERROR "Treat compiler warnings as errors" OFF)

function(foliant_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
    if(FOLIANT_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
