# zyl_discover_test_suites(<target> [TIMEOUT seconds] [ENVIRONMENT vars...]): after each link, lists
# the GoogleTest program's tests and gives CTest one test per suite, named <program>/<Suite>, that
# runs the suite's tests in one process. A sanitizer process costs about a third of a second to
# start and end, more than most tests take, so one process per suite instead of one per test cuts
# the suite's time several fold while failures still name their suite (and GoogleTest's output,
# shown on failure, names the test). Each suite's cost is its number of tests, so a fresh build
# starts the big suites first.
set(ZYL_TEST_SUITES_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/ZylListTestSuites.cmake)

function(zyl_discover_test_suites target)
    cmake_parse_arguments(ARG "" "TIMEOUT" "ENVIRONMENT" ${ARGN})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    set(list_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_suites.cmake)
    set(include_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_suites_include.cmake)
    string(REPLACE ";" "\\;" environment "${ARG_ENVIRONMENT}")
    add_custom_command(
        TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${target}> -DPREFIX=${target}
                "-DENVIRONMENT=${environment}" -DTIMEOUT=${ARG_TIMEOUT}
                -DWORKING_DIRECTORY=${CMAKE_CURRENT_BINARY_DIR} -DOUTPUT=${list_file}
                -P ${ZYL_TEST_SUITES_SCRIPT}
        BYPRODUCTS ${list_file}
        VERBATIM)
    file(WRITE ${include_file}
         "if(EXISTS \"${list_file}\")\n"
         "  include(\"${list_file}\")\n"
         "else()\n"
         "  add_test(${target}_NOT_BUILT ${target}_NOT_BUILT)\n"
         "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
endfunction()
