# Compiler settings shared by every target: warnings are errors, sanitizers in the test build,
# ccache when the machine has it, and the fastest linker the machine has (links of sanitized
# programs dominate a clean build).

find_program(ZYL_CCACHE ccache)
if(ZYL_CCACHE)
    set(CMAKE_C_COMPILER_LAUNCHER ${ZYL_CCACHE})
    set(CMAKE_CXX_COMPILER_LAUNCHER ${ZYL_CCACHE})
endif()

include(CheckLinkerFlag)
foreach(linker mold lld)
    check_linker_flag(CXX -fuse-ld=${linker} ZYL_LINKER_${linker})
    if(ZYL_LINKER_${linker})
        add_link_options(-fuse-ld=${linker})
        break()
    endif()
endforeach()

# Calls between the functions of one library bind inside it: nothing replaces the project's
# own functions at load time, and the compiler may then inline them.
add_compile_options(-fno-semantic-interposition)

add_compile_options(-Wall -Wextra -Wpedantic -Werror -Wshadow -Wnon-virtual-dtor -Wcast-align
                    -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # GCC 12 reports false positives in inlined standard containers at -O2 and above.
    add_compile_options(-Wno-maybe-uninitialized -Wno-stringop-overflow -Wno-array-bounds
                        -Wno-restrict -Wno-free-nonheap-object -Wno-null-dereference)
endif()

if(ZYL_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                        -fno-omit-frame-pointer)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        # GCC gives every one of UBSan's check records a redzone and a relocated descriptor of its
        # own, which made loading the libraries cost each test process more than half its time.
        # Overruns of global arrays by index are still caught by UBSan's bounds check.
        add_compile_options(--param=asan-globals=0)
    endif()
    add_link_options(-fsanitize=address,undefined)
endif()

if(ZYL_FUZZ)
    # Instrument the libraries for coverage; the fuzz targets add the libFuzzer main.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()
