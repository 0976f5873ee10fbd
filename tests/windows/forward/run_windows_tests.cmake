# Run by the test 'windows': the tests of the Windows build in BUILD (under
# Wine), with CTEST; skipped when there is no such build. A build older than
# the sources fails the test instead: its tests would prove the program as
# it was. scripts/build-windows.sh brings it up to date, and
# ./scripts/test.sh runs that first wherever build/windows exists.
cmake_minimum_required(VERSION 3.25)
if(NOT BUILD)
  message("no Windows build asked for in this build")
  return()
elseif(NOT EXISTS "${BUILD}/CTestTestfile.cmake")
  message("no Windows build in ${BUILD}: scripts/build-windows.sh makes one")
  return()
endif()
set(update "scripts/build-windows.sh brings it up to date (./scripts/test.sh runs it first)")

# Nothing left to build: a changed source, header, resource or CMake file
# leaves the build tool something to do (a Ninja dry run lists it).
execute_process(
  COMMAND "${CMAKE_COMMAND}" --build "${BUILD}" -- -n
  OUTPUT_VARIABLE plan ERROR_VARIABLE plan RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT plan MATCHES "no work to do")
  string(REGEX MATCH "[^\n]*\n?[^\n]*" first "${plan}")
  message(FATAL_ERROR "the Windows build in ${BUILD} is older than the sources; "
    "its build would now run:\n${first}\n${update}")
endif()

# The packages the tests open, packed after every file they are made of: the
# files the install rules and CPack's configuration name (the program, Qt's
# DLLs, qt.conf, the licences) and the installer's templates and scripts.
include("${BUILD}/CPackConfig.cmake")
set(packages "${BUILD}/${CPACK_PACKAGE_FILE_NAME}.zip" "${BUILD}/${CPACK_PACKAGE_FILE_NAME}-setup.exe")
file(GLOB_RECURSE install_scripts "${BUILD}/cmake_install.cmake")
set(named "")
foreach(script IN LISTS install_scripts ITEMS "${BUILD}/CPackConfig.cmake")
  file(STRINGS "${script}" lines REGEX "\"/")
  string(REGEX MATCHALL "\"/[^\"$;]+\"" quoted "${lines}")
  list(APPEND named ${quoted})
endforeach()
string(REPLACE "\"" "" named "${named}")
foreach(folder IN LISTS CPACK_MODULE_PATH)
  file(GLOB templates "${folder}/*")
  list(APPEND named ${templates})
endforeach()
list(REMOVE_DUPLICATES named)
foreach(package IN LISTS packages)
  if(NOT EXISTS "${package}")
    message(FATAL_ERROR "${package} is missing: the build was never packed; ${update}")
  endif()
  foreach(file IN LISTS named)
    if(NOT IS_DIRECTORY "${file}" AND EXISTS "${file}" AND "${file}" IS_NEWER_THAN "${package}"
       AND NOT "${package}" IS_NEWER_THAN "${file}")
      message(FATAL_ERROR "${package} was packed before ${file} changed; ${update}")
    endif()
  endforeach()
endforeach()

execute_process(
  COMMAND "${CTEST}" --test-dir "${BUILD}" --output-on-failure --no-tests=error -j2
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the Windows build's tests failed (${BUILD})")
endif()
