# Target helpers. Sources are collected from each library's folder so that adding a unit is
# adding its files.

# zyl_library(<name> <source dir> <public include dir> [DEPS <targets>...] [SYSTEM <libs>...])
function(zyl_library name source_dir include_dir)
    cmake_parse_arguments(ARG "" "" "DEPS;SYSTEM" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${source_dir}/*.cpp)
    file(GLOB_RECURSE headers CONFIGURE_DEPENDS ${include_dir}/*.h)
    add_library(${name} SHARED ${sources} ${headers})
    target_include_directories(${name} PUBLIC ${include_dir})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_SYSTEM})
endfunction()

# A package is a component library lib<package>.so built from the units in its folder.
function(zyl_package name)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${name}/*.cpp)
    file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${name}/*.h)
    add_library(${name} SHARED ${sources} ${headers})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC vcl)
endfunction()

# zyl_test_suite(<name> <folder> DEPS ...): the .cpp files directly in <folder> make one GoogleTest
# program <name>; each subfolder with tests makes its own program <name>_<subfolder>, so that one
# area's tests build and run on their own.
function(zyl_test_suite name folder)
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp)
    if(sources)
        add_executable(${name} ${sources})
        target_link_libraries(${name} PRIVATE ${ARG_DEPS} zyl_test_support GTest::gtest GTest::gtest_main)
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                             PROPERTIES TIMEOUT 120
                                        ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp")
    endif()
    file(GLOB children LIST_DIRECTORIES true CONFIGURE_DEPENDS ${folder}/*)
    foreach(child ${children})
        if(IS_DIRECTORY ${child})
            get_filename_component(area ${child} NAME)
            zyl_test_suite(${name}_${area} ${child} DEPS ${ARG_DEPS})
        endif()
    endforeach()
endfunction()
