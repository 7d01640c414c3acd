# Target helpers. Sources are collected from each library's folder so that adding a unit is
# adding its files.

include(GNUInstallDirs)
include(ZylTestSuites)

# Every library is a versioned shared object (lib<name>.so.<major>) installed beside the others,
# where the loader of packages finds them, and exported as Zyl::<name>.
function(zyl_shared_library name)
    add_library(${name} SHARED ${ARGN})
    add_library(Zyl::${name} ALIAS ${name})
    set_target_properties(${name} PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR}
                                             INSTALL_RPATH "$ORIGIN")
    install(TARGETS ${name} EXPORT ZylTargets
            LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
            INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
endfunction()

# zyl_library(<name> <source dir> <public include dir> [DEPS <targets>...] [SYSTEM <libs>...])
function(zyl_library name source_dir include_dir)
    cmake_parse_arguments(ARG "" "" "DEPS;SYSTEM" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${source_dir}/*.cpp)
    file(GLOB_RECURSE headers CONFIGURE_DEPENDS ${include_dir}/*.h)
    zyl_shared_library(${name} ${sources} ${headers})
    target_include_directories(${name} PUBLIC $<BUILD_INTERFACE:${include_dir}>
                                              $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_SYSTEM})
    install(DIRECTORY ${include_dir}/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} FILES_MATCHING PATTERN "*.h")
endfunction()

# A package is a component library lib<package>.so built from the units in its folder; its headers
# install as <package>/<unit>.h.
function(zyl_package name)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${name}/*.cpp)
    file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${name}/*.h)
    zyl_shared_library(${name} ${sources} ${headers})
    target_include_directories(${name} PUBLIC $<BUILD_INTERFACE:${CMAKE_SOURCE_DIR}>
                                              $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
    target_link_libraries(${name} PUBLIC vcl)
    # Inline variables and static locals of templates are weak, not GNU-unique: a unique symbol pins
    # its library for good, and UnloadPackage could then never unmap a package.
    target_compile_options(${name} PRIVATE $<$<CXX_COMPILER_ID:GNU>:-fno-gnu-unique>)
    set(public_headers ${headers})
    list(FILTER public_headers EXCLUDE REGEX "_internal\\.h$")
    install(FILES ${public_headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/${name})
endfunction()

# zyl_package_common(<package> <set>): compiles the shared source set common/<set>/ into the package
# with ZYL_<SET>_NAMESPACE=<package>, so that every package using the set carries its own copy of
# its classes and no symbol is shared between two package libraries.
function(zyl_package_common package set)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/common/${set}/*.cpp)
    file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/common/${set}/*.h)
    target_sources(${package} PRIVATE ${sources} ${headers})
    # The set's header has no include guard (each package includes it inside its own namespace), so
    # its sources cannot share a translation unit with the package's.
    set_source_files_properties(${sources} TARGET_DIRECTORY ${package} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
    string(TOUPPER ${set} upper)
    target_compile_definitions(${package} PRIVATE ZYL_${upper}_NAMESPACE=${package})
    # The package's public headers include the set's header inside their own namespace.
    install(FILES ${headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/common/${set})
endfunction()

# zyl_test_suite(<name> <folder> DEPS ...): every .cpp file under <folder> goes into one GoogleTest
# program <name>, one per library tested: each program is an expensive sanitizer link. CTest runs
# each suite of the program in a process of its own.
function(zyl_test_suite name folder)
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${folder}/*.cpp)
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} zyl_test_support GTest::gtest GTest::gtest_main)
    # Every test process keeps a desktop of its own unless a test shares one on purpose.
    zyl_discover_test_suites(${name} ENVIRONMENT
                             "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp" ZYL_SESSION=none)
endfunction()

# zyl_add_resources(<target> MODULE <name> FILES <files>...): compiles the files into the target as
# resources of module <name> (see win32/resources.h). The name of each resource is its file's base
# name in upper case; the type follows the extension (.bmp bitmap, .ico icon, .cur cursor, else data).
function(zyl_add_resources target)
    cmake_parse_arguments(ARG "" "MODULE" "FILES" ${ARGN})
    set(generated ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.cpp)
    set(arrays "")
    set(registrations "")
    set(index 0)
    foreach(file ${ARG_FILES})
        get_filename_component(path ${file} ABSOLUTE)
        get_filename_component(base ${file} NAME_WE)
        get_filename_component(extension ${file} LAST_EXT)
        string(TOUPPER ${base} name)
        string(TOLOWER "${extension}" extension)
        if(extension STREQUAL ".bmp")
            set(type win32::RT_ID_BITMAP)
        elseif(extension STREQUAL ".ico")
            set(type win32::RT_ID_GROUP_ICON)
        elseif(extension STREQUAL ".cur")
            set(type win32::RT_ID_GROUP_CURSOR)
        elseif(extension STREQUAL ".avi")
            set(type "\"AVI\"")
        else()
            set(type win32::RT_ID_RCDATA)
        endif()
        if(name MATCHES "^[0-9]+$")
            set(name "#${name}")
        endif()
        file(READ ${path} hex HEX)
        string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
        string(APPEND arrays "const unsigned char kResource${index}[] = {${bytes}};\n")
        string(APPEND registrations
               "        win32::RegisterResource(\"${ARG_MODULE}\", ${type}, \"${name}\", kResource${index}, sizeof kResource${index});\n")
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${path})
        math(EXPR index "${index} + 1")
    endforeach()
    file(CONFIGURE OUTPUT ${generated} CONTENT
"// Generated by zyl_add_resources from the target's resource files.
#include \"win32/resources.h\"

namespace {

${arrays}
struct Registration {
    Registration() {
${registrations}    }
} registration;

}  // namespace
" @ONLY)
    target_sources(${target} PRIVATE ${generated})
endfunction()

# zyl_add_version_resource(<target> <description>): compiles the version block that the description
# file says (the format is ParseVersionDescription's, win32/version.h) into the target, where
# GetFileVersionInfo on the target's file finds it.
function(zyl_add_version_resource target description)
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
    get_filename_component(path ${description} ABSOLUTE)
    set(script ${CMAKE_SOURCE_DIR}/win32/src/version/zylver.py)
    set(generated ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.cpp)
    add_custom_command(OUTPUT ${generated}
                       COMMAND Python3::Interpreter ${script} ${path} --cpp ${generated}
                       DEPENDS ${path} ${script}
                       COMMENT "Version resource of ${target}" VERBATIM)
    set_source_files_properties(${generated} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
    target_sources(${target} PRIVATE ${generated})
endfunction()
