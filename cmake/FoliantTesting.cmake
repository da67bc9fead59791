# foliant_add_test(NAME name [WIDGETS] SOURCES ... LIBS ...): one GoogleTest executable per
# layer, each test case registered with CTest. WIDGETS gives it the main that makes the one
# QApplication its tests share (drawing offscreen when there is no display). Tests run in
# English whatever the machine's locale (LC_ALL=C.UTF-8); a test that wants another language
# sets the locale itself.
include(GoogleTest)

function(foliant_add_test)
    cmake_parse_arguments(T "WIDGETS" "NAME" "SOURCES;LIBS" ${ARGN})
    if(T_WIDGETS)
        list(APPEND T_SOURCES ${PROJECT_SOURCE_DIR}/tests/QtTestMain.cpp)
        list(APPEND T_LIBS Qt6::Widgets)
    endif()
    add_executable(${T_NAME} ${T_SOURCES})
    foliant_warnings(${T_NAME})
    # A test program compiles as a few large units rather than one per file: most of the cost
    # of a test file is the test framework's headers, compiled once per unit.
    set_target_properties(${T_NAME} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 6)
    # In a shared unit a fixture in a file's anonymous namespace is "in another file" to GCC's
    # subobject-linkage check, which is meant for headers.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        target_compile_options(${T_NAME} PRIVATE -Wno-subobject-linkage)
    endif()
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    target_compile_definitions(${T_NAME} PRIVATE
        FOLIANT_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        FOLIANT_BINARY_DIR="${PROJECT_BINARY_DIR}")
    gtest_discover_tests(${T_NAME}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
                   ENVIRONMENT_MODIFICATION "LC_ALL=set:C.UTF-8")
endfunction()
