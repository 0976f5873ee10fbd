# Run by the test 'windows.stale_build_refused': the test 'windows' runs the
# tests of a Windows build only while that build and its packages are as new
# as the sources. A small stand-in for the Windows build in WORK (one
# generated file, installed with a file taken as it is, and one passing
# test) goes through the changes a contributor makes; after each, the run of
# RUNNER must pass or fail as the table says, and a failure must name the
# cause. CTEST is the ctest that runs the stand-in's test.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/source")
file(WRITE "${WORK}/source/CMakeLists.txt" [[
cmake_minimum_required(VERSION 3.25)
project(stand_in NONE)
enable_testing()
add_custom_command(OUTPUT program.out
  COMMAND "${CMAKE_COMMAND}" -E copy "${CMAKE_CURRENT_SOURCE_DIR}/program.cpp" program.out
  DEPENDS program.cpp)
add_custom_target(program ALL DEPENDS program.out)
install(FILES "${CMAKE_CURRENT_BINARY_DIR}/program.out" qt.conf DESTINATION .)
add_test(NAME passes COMMAND "${CMAKE_COMMAND}" -E true)
set(CPACK_PACKAGE_FILE_NAME stand-in)
set(CPACK_GENERATOR ZIP)
include(CPack)
]])
file(WRITE "${WORK}/source/program.cpp" "")
file(WRITE "${WORK}/source/qt.conf" "")
set(build "${WORK}/build")

# Each step waits a moment first, so that every change is strictly newer
# than the one before it whatever the file system's clock granularity.
function(step what)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E sleep 0.05)
  if(what STREQUAL "build")
    execute_process(COMMAND "${CMAKE_COMMAND}" --build "${build}"
      OUTPUT_QUIET RESULT_VARIABLE rc)
  elseif(what STREQUAL "pack")
    file(TOUCH "${build}/stand-in.zip" "${build}/stand-in-setup.exe")
    set(rc 0)
  else()
    file(TOUCH "${WORK}/source/${what}")
    set(rc 0)
  endif()
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "the stand-in build failed at '${what}'")
  endif()
endfunction()

execute_process(COMMAND "${CMAKE_COMMAND}" -S "${WORK}/source" -B "${build}" -G Ninja
  OUTPUT_QUIET RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the stand-in build could not be configured")
endif()

# What the contributor did last; then whether the tests run ("" for yes) or
# what the refusal says.
set(cases
  "build" "missing"
  "pack" ""
  "program.cpp" "older than the sources"
  "CMakeLists.txt" "older than the sources"
  "build" "packed before .*program.out changed"
  "pack" ""
  "qt.conf" "packed before .*qt.conf changed"
  "pack" "")
set(failures 0)
while(cases)
  list(POP_FRONT cases what expected)
  step(${what})
  execute_process(
    COMMAND "${CMAKE_COMMAND}" "-DBUILD=${build}" "-DCTEST=${CTEST}" -P "${RUNNER}"
    OUTPUT_VARIABLE out ERROR_VARIABLE out RESULT_VARIABLE rc)
  string(REGEX REPLACE "[ \n]+" " " out "${out}")
  if(expected)
    set(wanted "refuses (${expected})")
  else()
    set(wanted "runs the tests")
  endif()
  if(rc EQUAL 0)
    set(got "runs the tests")
  elseif(expected AND out MATCHES "${expected}")
    set(got "${wanted}")
  else()
    set(got "refuses: ${out}")
  endif()
  if(got STREQUAL wanted)
    message("ok: after '${what}', ${got}")
  else()
    message("FAIL: after '${what}', wanted: ${wanted}; got: ${got}")
    math(EXPR failures "${failures} + 1")
  endif()
endwhile()
if(failures GREATER 0)
  message(FATAL_ERROR "${failures} of the cases failed")
endif()
