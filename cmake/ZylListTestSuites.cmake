# Run by zyl_discover_test_suites after a link: writes OUTPUT, a CTest script with one test per
# GoogleTest suite of PROGRAM. Arguments: PROGRAM, PREFIX, ENVIRONMENT, TIMEOUT, WORKING_DIRECTORY.
string(REPLACE "\\;" ";" environment "${ENVIRONMENT}")
foreach(assignment IN LISTS environment)
    string(REGEX MATCH "^([^=]+)=(.*)$" ignored "${assignment}")
    set(ENV{${CMAKE_MATCH_1}} "${CMAKE_MATCH_2}")
endforeach()
execute_process(COMMAND "${PROGRAM}" --gtest_list_tests
                WORKING_DIRECTORY "${WORKING_DIRECTORY}"
                OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE result
                TIMEOUT 60)
if(NOT result EQUAL 0)
    file(REMOVE "${OUTPUT}")
    message(FATAL_ERROR "${PROGRAM} --gtest_list_tests failed (${result}):\n${listing}\n${errors}")
endif()

# The listing names a suite on a line of its own ("Suite." or "Prefix/Suite.  # TypeParam = ...")
# followed by its tests, indented.
string(REPLACE "\n" ";" lines "${listing}")
set(suites "")
foreach(line IN LISTS lines)
    if(line MATCHES "^([^ #][^ ]*)\\.( |$)")
        set(suite "${CMAKE_MATCH_1}")
        list(APPEND suites "${suite}")
        set(count_${suite} 0)
    elseif(line MATCHES "^  [^ ]" AND suites)
        math(EXPR count_${suite} "${count_${suite}} + 1")
    endif()
endforeach()

set(script "")
foreach(suite IN LISTS suites)
    set(name "${PREFIX}/${suite}")
    string(APPEND script
        "add_test([==[${name}]==] [==[${PROGRAM}]==] [==[--gtest_filter=${suite}.*]==])\n"
        "set_tests_properties([==[${name}]==] PROPERTIES WORKING_DIRECTORY [==[${WORKING_DIRECTORY}]==]"
        " TIMEOUT ${TIMEOUT} COST ${count_${suite}} ENVIRONMENT [==[${environment}]==])\n")
endforeach()
file(WRITE "${OUTPUT}" "${script}")
