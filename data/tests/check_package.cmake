# Run by the data.package test (see CMakeLists.txt for the variables passed).
# Builds the Debian package into a scratch folder and has lintian judge it:
# any error or warning fails the test.
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${OUT_DIR}")
set(config_args "")
if(CONFIG)
  set(config_args -C "${CONFIG}")
endif()
execute_process(
  COMMAND "${CPACK}" -G DEB --config "${BUILD_DIR}/CPackConfig.cmake"
          -B "${OUT_DIR}" ${config_args}
  RESULT_VARIABLE rc
  OUTPUT_VARIABLE out
  ERROR_VARIABLE out)
file(GLOB debs "${OUT_DIR}/*.deb")
list(LENGTH debs count)
if(NOT rc EQUAL 0 OR NOT count EQUAL 1)
  message(FATAL_ERROR "cpack -G DEB (exit ${rc}, ${count} package(s); is everything built?):\n${out}")
endif()

# --no-cfg: a packager's own lintian profile must not hide a tag here.
execute_process(
  COMMAND "${LINTIAN}" --no-cfg --fail-on error,warning ${debs}
  RESULT_VARIABLE rc
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR out MATCHES "(^|\n)[EW]: ")
  message(FATAL_ERROR "lintian ${debs} (exit ${rc}):\n${out}${err}")
endif()

# Debian's hardening-check on the packaged program, where it is installed.
# It skips what this system cannot give any program: branch protection is an
# ARM64 feature; the control-flow marking (CET) is kept by the linker only
# when every object carries it, and the C library's own start files on
# Debian 12 and 13 do not; and fortified calls where the compiler emits none
# (see tests/app/elf_hardening_check.cmake).
if(NOT HARDENING_CHECK)
  message(STATUS "hardening-check is not installed (package devscripts): skipped")
  return()
endif()
set(root "${OUT_DIR}/root")
execute_process(COMMAND dpkg-deb --extract ${debs} "${root}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "dpkg-deb --extract ${debs} failed")
endif()
# Older releases' hardening-check lacks the newer checks and their options.
execute_process(COMMAND "${HARDENING_CHECK}" --help OUTPUT_VARIABLE help ERROR_VARIABLE help)
set(skips "")
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE arch
  OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT arch STREQUAL "arm64" AND help MATCHES "nobranchprotection")
  list(APPEND skips --nobranchprotection)
endif()
set(cet_marked TRUE)
foreach(start_file IN ITEMS Scrt1.o crti.o)
  execute_process(COMMAND "${CXX}" -print-file-name=${start_file}
    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  execute_process(COMMAND readelf --notes "${path}" OUTPUT_VARIABLE notes ERROR_QUIET)
  if(NOT notes MATCHES "x86 feature: IBT, SHSTK")
    set(cet_marked FALSE)
  endif()
endforeach()
if(NOT cet_marked AND help MATCHES "nocfprotection")
  list(APPEND skips --nocfprotection)
endif()
if(NOT FORTIFIED)
  list(APPEND skips --nofortify)
endif()
execute_process(
  COMMAND "${HARDENING_CHECK}" ${skips} "${root}/usr/bin/vostrel"
  RESULT_VARIABLE rc
  OUTPUT_VARIABLE out
  ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "hardening-check ${skips} (exit ${rc}):\n${out}")
endif()
message(STATUS "hardening-check ${skips}:\n${out}")
