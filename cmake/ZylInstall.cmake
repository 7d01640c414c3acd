# What `cmake --install` puts under the prefix besides the libraries and headers: the CMake package
# (find_package(Zyl) gives Zyl::win32, Zyl::vcl and one Zyl::<package> per package) and a
# pkg-config file per library, all relocatable with the prefix.
include(CMakePackageConfigHelpers)

set(ZYL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Zyl)
install(EXPORT ZylTargets NAMESPACE Zyl:: DESTINATION ${ZYL_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/ZylConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/ZylConfig.cmake INSTALL_DESTINATION ${ZYL_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/ZylConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/ZylConfig.cmake ${CMAKE_BINARY_DIR}/ZylConfigVersion.cmake
        DESTINATION ${ZYL_CMAKE_DIR})

# zyl_pkg_config(<library> <description> [<required module>...]): zyl-<library>.pc
set(ZYL_PKGCONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH ZYL_PKGCONFIG_TO_PREFIX /prefix/${ZYL_PKGCONFIG_DIR} /prefix)
function(zyl_pkg_config library description)
    string(JOIN " " requires ${ARGN})
    set(file ${CMAKE_BINARY_DIR}/pkgconfig/zyl-${library}.pc)
    set(to_prefix ${ZYL_PKGCONFIG_TO_PREFIX})
    set(version ${PROJECT_VERSION})
    file(CONFIGURE OUTPUT ${file} CONTENT
"prefix=\${pcfiledir}/@to_prefix@
libdir=\${prefix}/@CMAKE_INSTALL_LIBDIR@
includedir=\${prefix}/@CMAKE_INSTALL_INCLUDEDIR@

Name: zyl-@library@
Description: @description@
Version: @version@
Requires: @requires@
Cflags: -I\${includedir}
Libs: -L\${libdir} -l@library@
" @ONLY)
    install(FILES ${file} DESTINATION ${ZYL_PKGCONFIG_DIR})
endfunction()

zyl_pkg_config(win32 "Zyl platform: windows, messages, GDI, registry, files and shell")
zyl_pkg_config(vcl "Zyl component framework" zyl-win32)
set(ZYL_PACKAGE_DESCRIPTIONS
    "pellic=Zyl standard and data-aware editing controls and stores"
    "lumaro=Zyl enhanced painted controls"
    "orvane=Zyl system components"
    "postrel=Zyl mail components"
    "quenta=Zyl ready-made dialogs"
    "ribola=Zyl owner-drawn menus")
foreach(entry ${ZYL_PACKAGE_DESCRIPTIONS})
    string(REPLACE "=" ";" parts ${entry})
    list(GET parts 0 package)
    list(GET parts 1 description)
    zyl_pkg_config(${package} ${description} zyl-vcl)
endforeach()
