# Runs the WebAssembly test programs under Node: CTest starts each through
# CMAKE_CROSSCOMPILING_EMULATOR, set here for the targets created after it.
#
# Older Emscripten loaders (Debian 12's 3.1.6) ask `fetch` for the .wasm file
# whenever the global exists, and Node has one from 18 on, which refuses a
# plain file path; without it they read the file from disk, as newer loaders
# do on Node anyway. So Node runs without it wherever it still takes the
# option.
#
# Emscripten's own tools run on Node too and need Debian's node-acorn from
# /usr/share/nodejs, where Debian's Node looks by itself and a Node from
# elsewhere does not: the web preset puts it on NODE_PATH.
include_guard(GLOBAL)

find_program(VOSTREL_NODE NAMES node nodejs REQUIRED)
execute_process(COMMAND "${VOSTREL_NODE}" --no-experimental-fetch -e ""
  RESULT_VARIABLE vostrel_node_without_fetch OUTPUT_QUIET ERROR_QUIET)
if(vostrel_node_without_fetch EQUAL 0)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${VOSTREL_NODE}" --no-experimental-fetch)
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR "${VOSTREL_NODE}")
endif()
