# Starts the program on a real X server (Xvfb) the way a desktop session
# would, until its window is shown and painted, and fails if it wrote
# anything to standard error: a normal start is a quiet one.
#
#   cmake -DPROGRAM=... -DRUNTIME_DIR=... -P quiet_start_check.cmake
file(MAKE_DIRECTORY "${RUNTIME_DIR}")
file(CHMOD "${RUNTIME_DIR}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)

find_program(XVFB_RUN xvfb-run REQUIRED)
execute_process(
  COMMAND "${XVFB_RUN}" --auto-servernum --server-args=-nolisten\ tcp
          "${CMAKE_COMMAND}" -E env
            --unset=QT_QPA_PLATFORM
            "XDG_RUNTIME_DIR=${RUNTIME_DIR}"
            VOSTREL_STARTUP_PROBE=1
            "${PROGRAM}"
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err
  RESULT_VARIABLE status
  TIMEOUT 60)

if(NOT status EQUAL 0)
  message(FATAL_ERROR "the program ended with ${status}:\n${out}${err}")
endif()
if(NOT out MATCHES "startup_us=")
  message(FATAL_ERROR "the window was never painted:\n${out}${err}")
endif()
if(NOT err STREQUAL "")
  message(FATAL_ERROR "the program was not quiet on start:\n${err}")
endif()
message(STATUS "quiet start: ${out}")
