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
