# Starts the program on a real X server (Xvfb) with a session bus of its own,
# the way a desktop session would, waits until its window is mapped and drawn,
# closes it as a user does (x11_window_watch sends WM_DELETE_WINDOW) and fails
# unless the program then ended with status 0 without writing anything to
# standard error: a normal start is a quiet one.
#
#   cmake -DPROGRAM=... -DWATCH=... -DRUNTIME_DIR=... -P quiet_start_check.cmake
file(REMOVE_RECURSE "${RUNTIME_DIR}")
file(MAKE_DIRECTORY "${RUNTIME_DIR}")
file(CHMOD "${RUNTIME_DIR}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
set(errors "${RUNTIME_DIR}/stderr")

find_program(XVFB_RUN xvfb-run REQUIRED)
find_program(DBUS_RUN_SESSION dbus-run-session REQUIRED)
# Without a session bus libdbus would launch one on the X display and leave
# it behind. The bus's own daemon may complain on standard error (about
# resource limits when run as root), so the program's errors and the
# watcher's go to a file of their own.
execute_process(
  COMMAND "${XVFB_RUN}" --auto-servernum --server-args=-nolisten\ tcp
          "${DBUS_RUN_SESSION}" --
          "${CMAKE_COMMAND}" -E env
            --unset=QT_QPA_PLATFORM --unset=QT_LINUX_ACCESSIBILITY_ALWAYS_ON
            "XDG_RUNTIME_DIR=${RUNTIME_DIR}"
          sh -c "exec \"$0\" --timeout 30 -- \"$1\" 2>\"$2\""
            "${WATCH}" "${PROGRAM}" "${errors}"
  OUTPUT_VARIABLE out
  ERROR_VARIABLE session_err
  RESULT_VARIABLE status
  TIMEOUT 75)
file(READ "${errors}" err)

if(NOT status EQUAL 0)
  message(FATAL_ERROR "the start failed (${status}):\n${out}${err}${session_err}")
endif()
if(NOT out MATCHES "drawn_us=[0-9]+")
  message(FATAL_ERROR "the window was never drawn:\n${out}${err}")
endif()
if(NOT err STREQUAL "")
  message(FATAL_ERROR "the program was not quiet on start:\n${err}")
endif()
message(STATUS "quiet start: ${out}")
