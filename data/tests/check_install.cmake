# Run by the data.install test (see CMakeLists.txt for the variables passed).
# Installs the build into a scratch prefix, then checks the installed desktop
# entry, AppStream metadata and icons as a distribution would.
cmake_minimum_required(VERSION 3.25)

set(failures 0)
macro(fail message)
  message(SEND_ERROR "${message}")
  math(EXPR failures "${failures} + 1")
endmacro()

file(REMOVE_RECURSE "${PREFIX}")
set(config_args "")
if(CONFIG)
  set(config_args --config "${CONFIG}")
endif()
execute_process(
  COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
          ${config_args}
  RESULT_VARIABLE rc
  OUTPUT_VARIABLE out
  ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (is everything built?):\n${out}")
endif()

set(share "${PREFIX}/${DATADIR}")
set(program "${PREFIX}/${BINDIR}/vostrel${EXE_SUFFIX}")
set(desktop "${share}/applications/${APP_ID}.desktop")
set(metainfo "${share}/metainfo/${APP_ID}.metainfo.xml")
set(icon32 "${share}/icons/hicolor/32x32/apps/${APP_ID}.png")
set(icon48 "${share}/icons/hicolor/48x48/apps/${APP_ID}.png")
set(icon_svg "${share}/icons/hicolor/scalable/apps/${APP_ID}.svg")

foreach(file IN ITEMS "${program}" "${desktop}" "${metainfo}" "${icon32}"
                      "${icon48}" "${icon_svg}")
  if(NOT EXISTS "${file}")
    fail("not installed: ${file}")
  endif()
endforeach()
if(failures GREATER 0)
  message(FATAL_ERROR "install is incomplete")
endif()

# desktop-file-validate reports problems on its output but does not always
# fail for them: a clean entry is one it says nothing about.
execute_process(
  COMMAND "${DESKTOP_FILE_VALIDATE}" "${desktop}"
  RESULT_VARIABLE rc
  OUTPUT_VARIABLE out
  ERROR_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT out STREQUAL "")
  fail("desktop-file-validate (exit ${rc}):\n${out}")
endif()

# Errors and warnings fail the check; informational and pedantic notes ("I:",
# "P:") are shown but pass, since each AppStream release adds notes of its
# own (one knows a tag the previous one calls unknown, the next one calls the
# old tag deprecated). validate-tree also checks that the desktop entry the
# metadata launches is installed beside it.
foreach(check IN ITEMS "validate|${metainfo}" "validate-tree|${PREFIX}")
  string(REPLACE "|" ";" check "${check}")
  list(GET check 0 command)
  list(GET check 1 target)
  execute_process(
    COMMAND "${APPSTREAMCLI}" ${command} --no-net --pedantic --no-color
            "${target}"
    RESULT_VARIABLE rc
    OUTPUT_VARIABLE out
    ERROR_VARIABLE out)
  if(NOT rc EQUAL 0 OR out MATCHES "(^|\n) *[EW]: ")
    fail("appstreamcli ${command} --no-net --pedantic (exit ${rc}):\n${out}")
  elseif(out MATCHES "(^|\n) *[IP]: ")
    message(STATUS "appstreamcli ${command}: notes only\n${out}")
  endif()
endforeach()

foreach(pair IN ITEMS "${icon32}|32" "${icon48}|48")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 file)
  list(GET pair 1 size)
  execute_process(
    COMMAND "${ICON_CHECK}" "${file}" "${size}"
    RESULT_VARIABLE rc
    OUTPUT_VARIABLE out
    ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    fail("icon check of ${file} (exit ${rc}):\n${out}")
  endif()
endforeach()

if(failures GREATER 0)
  message(FATAL_ERROR "${failures} installed-data check(s) failed")
endif()
