# Fails unless the four component entry points (or the symbols EXPORTS lists, separated by
# commas) are the only symbols of our own that LIBRARY's dynamic symbol table defines.
# Instantiations from the C++ standard library (namespace std, whose headers ask for default
# visibility) are not ours, nor are inline members of Qt's classes (exported by their
# declarations).
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
    OUTPUT_VARIABLE symbols RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${symbols}")
set(exported)
foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[0-9a-fA-F]* *[A-Za-z] " "" name "${line}")
    # Linker-made markers are no part of the interface.
    if(NOT name MATCHES "^(_init|_fini|_edata|_end|__bss_start)$"
       AND NOT name MATCHES "^_Z(N|NK|ZN|ZNK|T[ISV]|T[ISV]N|T[ISV]NK)?St"
       AND NOT name MATCHES "^_Z(N|NK|T[ISV])?[0-9]+Q[A-Z]")
        list(APPEND exported ${name})
    endif()
endforeach()
list(SORT exported)
set(expected DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer)
if(DEFINED EXPORTS)
    string(REPLACE "," ";" expected "${EXPORTS}")
    list(SORT expected)
endif()
if(NOT exported STREQUAL expected)
    message(FATAL_ERROR "${LIBRARY} exports: ${exported}\nexpected only: ${expected}")
endif()
