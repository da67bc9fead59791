# The component's real windows in host programs: the sample hosts and a loading test run under
# a virtual X display, driven by the test hook (hook/TestHook.cpp) with the steps given.
find_program(FOLIANT_XVFB_RUN xvfb-run REQUIRED)
set(sample_db ${FOLIANT_DATA_DIR}/sample.db)
set(plugin $<TARGET_FILE:foliant_qt_plugin>)

# library_window_test(NAME STEPS COMMAND...): COMMAND under its own X display, the hook playing
# STEPS ("|" between steps). One such display at a time: the tests share the machine's screen
# numbers. A run in which LeakSanitizer's tracer itself crashed at exit is run again.
set(lsan_retry bash ${CMAKE_CURRENT_SOURCE_DIR}/lsan-retry.sh)
function(library_window_test name steps)
    add_test(NAME ${name}
        COMMAND ${lsan_retry} ${CMAKE_COMMAND} -E env --unset=QT_QPA_PLATFORM --unset=FOLIANT_WIZARD_SCRIPT
            --unset=FOLIANT_HELP_VIEWER --unset=FOLIANT_PREFIX
            FOLIANT_QT_TEST_HOOK=$<TARGET_FILE:foliant_test_hook> "FOLIANT_TEST_STEPS=${steps}"
            ${FOLIANT_XVFB_RUN} -a -s "-noreset -screen 0 1280x1024x24" ${ARGN})
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK x_display TIMEOUT 240
        FAIL_REGULAR_EXPRESSION "hook: FAILED")
endfunction()

add_test(NAME library_plugin_exports
    COMMAND ${CMAKE_COMMAND} -DLIBRARY=${plugin} -DNM=${CMAKE_NM} -DEXPORTS=FoliantQtFrontEnd
        -P ${PROJECT_SOURCE_DIR}/tests/automation/CheckExports.cmake)

# The C host: the real dialog, Next and Back, then Cancel; the host gets its report back as it
# was (a columnar report with nothing placed yet) and unloads the component.
library_window_test(library_sample_c_host_window
    "wait frmWizard | click cmdNext | click cmdBack | click cmdCancel | gone frmWizard"
    $<TARGET_FILE:foliant_c_host> ${sample_db})
set_tests_properties(library_sample_c_host_window PROPERTIES PASS_REGULAR_EXPRESSION
    "hook: click cmdCancel\n.*\"kind\": 1,\n  \"title\": \"\",.*\"name\": \"D\",\n *\"kind\": 4,\n *\"sections\": \\[\n *{\n *\"name\": \"D\",\n *\"height\": [0-9]+,\n *\"objects\": \\[\\]\n.*host: done")

# Help from a host: the wizard finds the help viewer of its installation beside the component
# library and opens it; Cancel closes it.
library_window_test(library_sample_c_host_help
    "wait frmWizard | click cmdHelp | child foliant-help | click cmdCancel | no-child foliant-help"
    $<TARGET_FILE:foliant_c_host> ${sample_db})
set_tests_properties(library_sample_c_host_help PROPERTIES PASS_REGULAR_EXPRESSION
    "hook: no-child foliant-help\n.*host: done")

# The Qt host: the wizard is modal over the host's window (a press on its button does not get
# through), and after Cancel the host's button works again.
library_window_test(library_sample_qt_host_window
    "wait frmWizard | modal-over HostWindow | blocked newReport | click cmdCancel | gone frmWizard | window-click newReport | wait frmWizard | click cmdCancel | gone frmWizard | close HostWindow"
    $<TARGET_FILE:foliant_qt_host> ${sample_db} --new)
set_tests_properties(library_sample_qt_host_window PROPERTIES PASS_REGULAR_EXPRESSION
    "host: New report… opens the wizard\nhook: wait frmWizard\nhook: modal-over HostWindow\nhook: blocked newReport\nhook: click cmdCancel\nhost: the wizard is closed[^\n]*\nhook: gone frmWizard\nhook: window-click newReport\nhost: New report… opens the wizard\nhook: wait frmWizard\nhook: click cmdCancel\nhost: the wizard is closed[^\n]*\nhook: gone frmWizard\nhook: close HostWindow\nhost: closed")

# A display that is named but does not answer: a clear error instead of Qt ending the process.
add_test(NAME library_sample_c_host_unreachable_display
    COMMAND ${CMAKE_COMMAND} -E env --unset=FOLIANT_WIZARD_SCRIPT --unset=WAYLAND_DISPLAY
        --unset=QT_QPA_PLATFORM DISPLAY=:9873 $<TARGET_FILE:foliant_c_host> ${sample_db})
set_tests_properties(library_sample_c_host_unreachable_display PROPERTIES
    PASS_REGULAR_EXPRESSION
        "error 5: The wizard cannot be shown: the display :9873 cannot be reached\\..*host: done")

# A copy of the component elsewhere looks for its plugin beside itself.
add_test(NAME library_plugin_is_found_beside_the_component
    COMMAND ${CMAKE_COMMAND} -DLIBRARY=${foliant_library} -DHOST=$<TARGET_FILE:foliant_c_host>
        -DDATABASE=${sample_db} -DDIR=${CMAKE_CURRENT_BINARY_DIR}/copied-component
        -P ${CMAKE_CURRENT_SOURCE_DIR}/CopiedLibrary.cmake)

# Load and unload the component 100 times in one process, every tenth time running the real
# dialog (cancelled).
add_executable(library_load_unload load_unload.c)
foliant_warnings(library_load_unload)
set_target_properties(library_load_unload PROPERTIES C_STANDARD 11)
target_include_directories(library_load_unload PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(library_load_unload PRIVATE ${CMAKE_DL_LIBS})
add_dependencies(library_load_unload foliant_wizard foliant_test_hook)
library_window_test(library_load_unload_100
    "wait frmWizard | click cmdCancel | again"
    $<TARGET_FILE:library_load_unload> ${foliant_library} ${sample_db} 100 10)

# Threads and a second call, in a program with its own QApplication (offscreen).
foliant_add_test(NAME library_hosting_tests WIDGETS
    SOURCES HostingTest.cpp ${PROJECT_SOURCE_DIR}/examples/qt-host/Component.cpp
    LIBS foliant_wizard Foliant::sample_db Qt6::Test)
target_include_directories(library_hosting_tests PRIVATE ${PROJECT_SOURCE_DIR}/examples/qt-host)
foliant_add_test(NAME library_gui_host_tests
    SOURCES GuiApplicationHostTest.cpp ${PROJECT_SOURCE_DIR}/examples/qt-host/Component.cpp
    LIBS foliant_wizard Foliant::sample_db Qt6::Gui)
target_include_directories(library_gui_host_tests PRIVATE ${PROJECT_SOURCE_DIR}/examples/qt-host)

# The C host walks the real wizard to Finish: two fields, a group with a summary, every page,
# then the preview window, which shows the report's first page and, closed, hands control back
# to the host. The report Finish saved is checked, and is the one a headless walk saves.
set(walk_steps "wait frmWizard | click Add | click Add | click cmdNext")
foreach(down 1 2)
    string(APPEND walk_steps " | key DatabaseTreeView Down")
endforeach()
string(APPEND walk_steps " | click AddGroup | click cmdNext")
foreach(down 1 2 3 4 5)
    string(APPEND walk_steps " | key DatabaseTreeView Down")
endforeach()
string(APPEND walk_steps " | click AddTotal | click cmdNext | click cmdNext | click cmdNext"
    " | click cmdNext | click FinishCmd | wait QuickView | text pageBox ^1$"
    " | text pageLabel ^of [0-9]+$ | close QuickView")
add_test(NAME library_c_host_finishes_with_the_preview
    COMMAND ${lsan_retry} ${CMAKE_COMMAND} -DXVFB_RUN=${FOLIANT_XVFB_RUN} -DHOST=$<TARGET_FILE:foliant_c_host>
        -DDATABASE=${sample_db} -DHOOK=$<TARGET_FILE:foliant_test_hook>
        -DFOLIANT=$<TARGET_FILE:foliant> -DSCRIPT=${scripts}/walk-to-finish.txt
        "-DSTEPS=${walk_steps}" -DDIR=${CMAKE_CURRENT_BINARY_DIR}/finish-run
        -P ${CMAKE_CURRENT_SOURCE_DIR}/HostedFinish.cmake)
set_tests_properties(library_c_host_finishes_with_the_preview PROPERTIES
    RESOURCE_LOCK x_display TIMEOUT 240)

# A folder and registry store of their own for the runs below, holding a report file where
# Finish saves, so that every Finish asks before replacing it.
set(preview_dir ${CMAKE_CURRENT_BINARY_DIR}/preview-run)
add_test(NAME library_preview_fixture
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${preview_dir}/registry ${preview_dir}/Report1.rpt)
add_test(NAME library_preview_fixture_folder
    COMMAND ${CMAKE_COMMAND} -E make_directory ${preview_dir}/registry)
add_test(NAME library_preview_fixture_report
    COMMAND ${CMAKE_COMMAND} -E touch ${preview_dir}/Report1.rpt)
set_tests_properties(library_preview_fixture PROPERTIES FIXTURES_SETUP library_preview_clean)
set_tests_properties(library_preview_fixture_folder PROPERTIES
    FIXTURES_REQUIRED library_preview_clean FIXTURES_SETUP library_preview_folder)
set_tests_properties(library_preview_fixture_report PROPERTIES
    FIXTURES_REQUIRED library_preview_folder FIXTURES_SETUP library_preview_run)
set(in_preview_dir ${CMAKE_COMMAND} -E env FOLIANT_REGISTRY_DIR=${preview_dir}/registry)
set(to_finish "click Add | click cmdNext | click cmdNext | click cmdNext | click cmdNext")

# The Qt host runs the wizard twice: the first Finish shows the preview, which is moved and
# closed; the second shows it again at exactly that place and size.
library_window_test(library_sample_qt_host_preview_placement
    "wait frmWizard | ${to_finish} | click FinishCmd | press Yes | wait QuickView | text pageBox ^1$ | move QuickView 100 80 700 500 | close QuickView | gone QuickView | window-click newReport | wait frmWizard | ${to_finish} | click FinishCmd | press Yes | wait QuickView | geometry QuickView 100 80 700 500 | close QuickView | gone QuickView | close HostWindow"
    ${in_preview_dir} $<TARGET_FILE:foliant_qt_host> ${sample_db} --new)
set_tests_properties(library_sample_qt_host_preview_placement PROPERTIES
    WORKING_DIRECTORY ${preview_dir} FIXTURES_REQUIRED library_preview_run)

# Finish with the preview, twice over, each time loading and unloading the component:
# closing the preview returns to the host, and the runs leave no objects, threads or leaks.
library_window_test(library_load_unload_preview
    "wait frmWizard | ${to_finish} | click FinishCmd | press Yes | wait QuickView | text pageBox ^1$ | close QuickView | gone QuickView | again"
    ${in_preview_dir} $<TARGET_FILE:library_load_unload> ${foliant_library} ${sample_db} 2 1)
set_tests_properties(library_load_unload_preview PROPERTIES
    WORKING_DIRECTORY ${preview_dir} FIXTURES_REQUIRED library_preview_run)
