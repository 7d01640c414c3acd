# Run by CTest: installs the build into a fresh prefix, checks what LoadPackage and pkg-config rely
# on, builds examples/hello against the prefix with find_package(Zyl) and runs it.
#   cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DWORK_DIR=... -DGENERATOR=... -DCXX_COMPILER=...
#         -DLIBDIR=lib -DINCLUDEDIR=include -DSANITIZE=ON|OFF -P ZylInstallCheck.cmake

function(run step)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${step} failed (${result}):\n${output}")
    endif()
    set(last_output "${output}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
run("install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

set(libdir ${prefix}/${LIBDIR})
foreach(library win32 vcl pellic lumaro orvane postrel quenta ribola)
    # Versioned for programs that link it, and the plain name beside libvcl.so for LoadPackage.
    foreach(name lib${library}.so.0 lib${library}.so)
        if(NOT EXISTS ${libdir}/${name})
            message(FATAL_ERROR "${name} is not installed in ${libdir}")
        endif()
    endforeach()
    if(NOT EXISTS ${libdir}/pkgconfig/zyl-${library}.pc)
        message(FATAL_ERROR "zyl-${library}.pc is not installed")
    endif()
endforeach()
foreach(header win32/user.h vcl/forms.h lumaro/zyllabels.h pellic/zyltautostores.h
               common/datastore/zyldatastore.h postrel/zyltiemails.h ribola/zylmenu.h)
    if(NOT EXISTS ${prefix}/${INCLUDEDIR}/${header})
        message(FATAL_ERROR "${header} is not installed")
    endif()
endforeach()

find_program(PKG_CONFIG pkg-config)
if(PKG_CONFIG)
    set(ENV{PKG_CONFIG_PATH} ${libdir}/pkgconfig)
    run("pkg-config" ${PKG_CONFIG} --libs zyl-lumaro)
    foreach(expected "-llumaro" "-lvcl" "-lwin32")
        string(FIND "${last_output}" "${expected}" found)
        if(found EQUAL -1)
            message(FATAL_ERROR "pkg-config --libs zyl-lumaro gave '${last_output}', without ${expected}")
        endif()
    endforeach()
    # The paths are relative to the .pc file, so they follow the prefix wherever it is moved.
    run("pkg-config" ${PKG_CONFIG} --variable=includedir zyl-lumaro)
    string(STRIP "${last_output}" includedir)
    run("pkg-config" ${PKG_CONFIG} --variable=libdir zyl-lumaro)
    string(STRIP "${last_output}" pkg_libdir)
    if(NOT EXISTS ${includedir}/lumaro/zyllabels.h OR NOT EXISTS ${pkg_libdir}/liblumaro.so)
        message(FATAL_ERROR "pkg-config points to ${includedir} and ${pkg_libdir}, not to the install")
    endif()
endif()

# A sanitized build's libraries need the sanitizer runtime in the program as well.
set(flags "")
if(SANITIZE)
    set(flags "-DCMAKE_CXX_FLAGS=-fsanitize=address,undefined"
              "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined")
endif()
run("configuring the example" ${CMAKE_COMMAND} -S ${SOURCE_DIR}/examples/hello -B ${WORK_DIR}/build
    -G ${GENERATOR} -DCMAKE_CXX_COMPILER=${CXX_COMPILER} -DCMAKE_PREFIX_PATH=${prefix} ${flags})
run("building the example" ${CMAKE_COMMAND} --build ${WORK_DIR}/build)
# The system's font configuration keeps a few allocations until exit, as in every test.
set(ENV{LSAN_OPTIONS} "suppressions=${SOURCE_DIR}/tests/lsan.supp")
run("running the example" ${WORK_DIR}/build/hello ${WORK_DIR}/hello.png)
message(STATUS "${last_output}")

file(READ ${WORK_DIR}/hello.png signature LIMIT 8 HEX)
if(NOT signature STREQUAL "89504e470d0a1a0a")
    message(FATAL_ERROR "hello.png is not a PNG file")
endif()
