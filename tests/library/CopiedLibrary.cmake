# Runs the C host HOST on a copy of the component library LIBRARY in a folder of its own (DIR),
# with a display: the copy looks for its window front end beside itself, never where it was
# built, and says that it is missing there.
file(REMOVE_RECURSE ${DIR})
file(MAKE_DIRECTORY ${DIR})
file(COPY ${LIBRARY} DESTINATION ${DIR})
get_filename_component(name ${LIBRARY} NAME)
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=FOLIANT_WIZARD_SCRIPT QT_QPA_PLATFORM=offscreen
        FOLIANT_LIBRARY=${DIR}/${name} ${HOST} ${DATABASE}
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
set(expected "DisplayReportWizard failed: error 5: The wizard cannot be shown: its window front \
end ${DIR}/foliant/libFoliantQt.so could not be loaded: ")
string(FIND "${err}" "${expected}" at)
if(at EQUAL -1 OR NOT rc EQUAL 2 OR NOT out MATCHES "host: done")
    message(FATAL_ERROR "exit ${rc}\nstdout: ${out}\nstderr: ${err}\nexpected: ${expected}")
endif()
