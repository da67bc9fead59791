# The C host HOST walks the real wizard to Finish under a virtual X display, the test hook HOOK
# playing STEPS as a person would (fields, a group, a summary, every page, Finish, the preview
# checked and closed), in a fresh folder DIR with a registry store of its own. Then:
#   - the host ran to its end with status 0;
#   - the report Finish saved beside it has the fields, the group and the summaries chosen, and
#     runs (exported as text, with its grand total);
#   - it is byte for byte the report the same walk saves when the script SCRIPT drives the
#     wizard headless through the host program FOLIANT over the same DATABASE.
file(REMOVE_RECURSE ${DIR})
file(MAKE_DIRECTORY ${DIR}/registry ${DIR}/headless)

function(run what)
    execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${where}
        OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${what}: exit ${rc}\nstdout: ${out}\nstderr: ${err}")
    endif()
    set(out "${out}" PARENT_SCOPE)
endfunction()

set(where ${DIR})
run("the C host" ${CMAKE_COMMAND} -E env --unset=QT_QPA_PLATFORM --unset=FOLIANT_WIZARD_SCRIPT
    --unset=FOLIANT_HELP_VIEWER --unset=FOLIANT_PREFIX FOLIANT_REGISTRY_DIR=${DIR}/registry
    FOLIANT_QT_TEST_HOOK=${HOOK} "FOLIANT_TEST_STEPS=${STEPS}"
    ${XVFB_RUN} -a -s "-noreset -screen 0 1280x1024x24" ${HOST} ${DATABASE})
if(NOT out MATCHES "hook: close QuickView\n.*host: done")
    message(FATAL_ERROR "the walk did not end in the preview and back in the host:\n${out}")
endif()
set(report ${DIR}/Report1.rpt)
if(NOT EXISTS ${report})
    message(FATAL_ERROR "Finish saved no ${report}:\n${out}")
endif()

run("inspect" ${FOLIANT} inspect ${report})
string(JSON group GET "${out}" groups 0 field)
string(JSON summaries LENGTH "${out}" summaries)
string(JSON summed GET "${out}" summaries 0 field)
string(JSON total GET "${out}" summaries 1 grandTotal)
set(details "")
string(JSON areas LENGTH "${out}" areas)
math(EXPR last "${areas} - 1")
foreach(i RANGE ${last})
    string(JSON name GET "${out}" areas ${i} name)
    if(name STREQUAL "D")
        string(JSON details GET "${out}" areas ${i} sections 0 objects)
    endif()
endforeach()
if(NOT group STREQUAL "{Customers.Country}" OR NOT summaries EQUAL 2
   OR NOT summed STREQUAL "{Customers.CreditLimit}" OR NOT total
   OR NOT details MATCHES "Customers.CustomerID.*Customers.CustomerName")
    message(FATAL_ERROR "the saved report is not the one chosen:\n${out}")
endif()

run("export" ${FOLIANT} export ${report} --text ${DIR}/report.txt)
file(READ ${DIR}/report.txt text)
if(NOT text MATCHES "Grand Total:")
    message(FATAL_ERROR "the report's text has no grand total:\n${text}")
endif()

set(where ${DIR}/headless)
run("the headless walk" ${CMAKE_COMMAND} -E env FOLIANT_REGISTRY_DIR=${DIR}/registry
    ${FOLIANT} script ${SCRIPT} --db ${DATABASE})
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${report} ${DIR}/headless/Report1.rpt
    RESULT_VARIABLE differ)
if(differ)
    message(FATAL_ERROR "the hosted wizard saved another report than the headless walk")
endif()
