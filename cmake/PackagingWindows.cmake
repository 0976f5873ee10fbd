# The Windows packages, written by `cpack` in the build directory:
#   vostrel-VERSION-windows-x64.zip        a folder that runs from anywhere
#   vostrel-VERSION-windows-x64-setup.exe  a per-user installer (NSIS)
# Both hold the program, the DLLs it loads (Qt's and the MinGW-w64 runtime's,
# nothing else), Qt's own translations and the licences of all of it.
#
# VOSTREL_WINDOWS_PACKAGE names both, without the extension and the installer's
# "-setup", for the tests.

# Qt's libraries and the plugins the program loads: the Windows platform and
# the native styles (windowsvista up to Qt 6.6, windows11 and windowsvista in
# one plugin from 6.7 on). They are taken by file: Qt imports its plugins'
# targets only where it links them itself. qt.conf makes the folder Qt's
# prefix, so Qt looks for its plugins and translations there and nowhere else.
foreach(library IN ITEMS Qt6::Core Qt6::Gui Qt6::Widgets)
  install(FILES "$<TARGET_FILE:${library}>" DESTINATION .)
endforeach()
set(qt_plugins "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_PLUGINS}")
file(GLOB style_plugins "${qt_plugins}/styles/*.dll")
if(NOT EXISTS "${qt_plugins}/platforms/qwindows.dll" OR NOT style_plugins)
  message(FATAL_ERROR "${qt_plugins} lacks the Windows platform or style plugin")
endif()
install(FILES "${qt_plugins}/platforms/qwindows.dll" DESTINATION platforms)
install(FILES ${style_plugins} DESTINATION styles)
install(FILES "${PROJECT_SOURCE_DIR}/data/windows/qt.conf" DESTINATION .)

# Qt's texts (a text box's menu, a message's buttons) in the user's language,
# as on Linux: the translations are data, taken from the build machine's Qt
# of the very same version.
find_path(VOSTREL_QT_TRANSLATIONS qtbase_bg.qm
  PATHS "${QT_HOST_PATH}/share/qt6/translations" NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH
  REQUIRED)
file(GLOB qt_translations "${VOSTREL_QT_TRANSLATIONS}/qtbase_*.qm")
install(FILES ${qt_translations} DESTINATION translations)

# The MinGW-w64 runtime that the program and Qt link: the C++ library, the
# unwinder and the threads library, stripped (Debian ships them with their
# symbols).
set(runtime_dlls "")
foreach(dll IN ITEMS libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(
    COMMAND "${CMAKE_CXX_COMPILER}" -print-file-name=${dll}
    OUTPUT_VARIABLE source OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${source}" OR NOT EXISTS "${source}")
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${dll} is")
  endif()
  set(stripped "${VOSTREL_WINDOWS_RUNTIME_DIR}/${dll}")
  add_custom_command(
    OUTPUT "${stripped}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${VOSTREL_WINDOWS_RUNTIME_DIR}"
    COMMAND "${CMAKE_STRIP}" --strip-unneeded -o "${stripped}" "${source}"
    DEPENDS "${source}"
    VERBATIM)
  list(APPEND runtime_dlls "${stripped}")
endforeach()
add_custom_target(vostrel_windows_runtime ALL DEPENDS ${runtime_dlls})
install(FILES ${runtime_dlls} DESTINATION .)

# Licences and where the source of each part can be had: ours, Qt's (LGPL 3,
# which builds on the GPL 3) and the runtime's (GCC's runtime exception,
# MinGW-w64's permissive terms). The versions are the Debian packages built
# from.
function(vostrel_debian_source out package)
  execute_process(
    COMMAND dpkg-query -W "-f=\${source:Package} \${source:Version}" ${package}
    OUTPUT_VARIABLE source RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    set(source "${package} (version unknown)")
  endif()
  set(${out} "${source}" PARENT_SCOPE)
endfunction()
vostrel_debian_source(VOSTREL_QT_SOURCE qt6-base-dev)
vostrel_debian_source(VOSTREL_GCC_SOURCE gcc-mingw-w64-x86-64-posix-runtime)
vostrel_debian_source(VOSTREL_MINGW_SOURCE mingw-w64-x86-64-dev)
set(VOSTREL_QT_LICENSES "${QT6_INSTALL_PREFIX}/share/vostrel-qt-source/LICENSES")
configure_file("${PROJECT_SOURCE_DIR}/data/windows/LICENSES.txt.in"
  "${PROJECT_BINARY_DIR}/LICENSES.txt" @ONLY)
install(FILES "${PROJECT_SOURCE_DIR}/LICENSE" DESTINATION . RENAME LICENSE.txt)
install(FILES "${PROJECT_BINARY_DIR}/LICENSES.txt" DESTINATION .)
install(FILES "${VOSTREL_QT_LICENSES}/LGPL-3.0-only.txt" "${VOSTREL_QT_LICENSES}/GPL-3.0-only.txt"
  DESTINATION licenses/qt)
install(FILES /usr/share/doc/gcc-mingw-w64-base/copyright
  DESTINATION licenses/mingw-w64-runtime RENAME gcc-runtime.txt)
install(FILES /usr/share/doc/mingw-w64-common/copyright
  DESTINATION licenses/mingw-w64-runtime RENAME mingw-w64.txt)

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME vostrel)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "The Vostrel developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Vostrel, monthly web-hosting fee calculator")
set(CPACK_PACKAGE_HOMEPAGE_URL "${PROJECT_HOMEPAGE_URL}")
set(VOSTREL_WINDOWS_PACKAGE "vostrel-${PROJECT_VERSION}-windows-x64")
set(CPACK_PACKAGE_FILE_NAME "${VOSTREL_WINDOWS_PACKAGE}")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Vostrel)
set(CPACK_STRIP_FILES ON)
# The installer's own script (data/windows/NSIS.template.in) and the name it
# is written under.
set(CPACK_MODULE_PATH "${PROJECT_SOURCE_DIR}/data/windows")
set(CPACK_PROJECT_CONFIG_FILE "${PROJECT_SOURCE_DIR}/data/windows/cpack_per_generator.cmake")
set(CPACK_NSIS_VOSTREL_ICON "${PROJECT_BINARY_DIR}/data/windows/vostrel.ico")
# A release build's packages are the same bytes whoever builds them, and may
# hold a signed program (data/windows/cpack_pre_build.cmake and
# cpack_post_build.cmake).
find_program(VOSTREL_PYTHON python3 REQUIRED)
set(CPACK_VOSTREL_PYTHON "${VOSTREL_PYTHON}")
set(CPACK_VOSTREL_NORMALIZE "${PROJECT_SOURCE_DIR}/cmake/normalize_package_tree.py")
set(CPACK_PRE_BUILD_SCRIPTS "${PROJECT_SOURCE_DIR}/data/windows/cpack_pre_build.cmake")
set(CPACK_POST_BUILD_SCRIPTS "${PROJECT_SOURCE_DIR}/data/windows/cpack_post_build.cmake")
set(CPACK_NSIS_VOSTREL_VERSION_QUAD "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0.0")

include(CPack)
