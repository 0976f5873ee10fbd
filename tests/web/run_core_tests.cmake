# Run by the test 'web.core': the core's tests as the web build in BUILD
# compiled them, as WebAssembly under Node, with CTEST; skipped when there
# is no such build.
cmake_minimum_required(VERSION 3.25)
if(NOT EXISTS "${BUILD}/CTestTestfile.cmake")
  message("no web build in ${BUILD}: scripts/build-web.sh makes one")
  return()
endif()
execute_process(
  COMMAND "${CTEST}" --test-dir "${BUILD}" --output-on-failure --no-tests=error
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the web build's tests failed (${BUILD})")
endif()
