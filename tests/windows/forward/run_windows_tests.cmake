# Run by the test 'windows': the tests of the Windows build in BUILD (under
# Wine), with CTEST; skipped when there is no such build.
cmake_minimum_required(VERSION 3.25)
if(NOT BUILD)
  message("no Windows build asked for in this build")
  return()
elseif(NOT EXISTS "${BUILD}/CTestTestfile.cmake")
  message("no Windows build in ${BUILD}: scripts/build-windows.sh makes one")
  return()
endif()
execute_process(
  COMMAND "${CTEST}" --test-dir "${BUILD}" --output-on-failure --no-tests=error -j2
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the Windows build's tests failed (${BUILD})")
endif()
