# Keeps the module to WebAssembly's first features, which every browser that
# runs WebAssembly compiles (Safari 11 included). Emscripten 3.1.6 emits no
# others; newer ones emit sign extension (and Emscripten 6 bulk memory and
# saturating conversions), and their switches for old browsers are refused
# or need Babel (see docs/web.md). Lowers what is there, in place:
#   cmake -DWASM_OPT=PROGRAM -DMODULE=FILE -P lower_to_first_features.cmake
execute_process(COMMAND "${WASM_OPT}" --mvp-features "${MODULE}"
  RESULT_VARIABLE first_features_only OUTPUT_QUIET ERROR_QUIET)
if(first_features_only EQUAL 0)
  return()
endif()
execute_process(COMMAND "${WASM_OPT}" --help OUTPUT_VARIABLE help ERROR_QUIET)
set(passes --signext-lowering)
foreach(pass IN ITEMS --llvm-memory-copy-fill-lowering --llvm-nontrapping-fptoint-lowering)
  string(FIND "${help}" "${pass} " at)
  if(NOT at EQUAL -1)
    list(APPEND passes ${pass})
  endif()
endforeach()
execute_process(
  COMMAND "${WASM_OPT}" --enable-sign-ext --enable-mutable-globals --enable-bulk-memory
          --enable-nontrapping-float-to-int ${passes} "${MODULE}" -o "${MODULE}"
  RESULT_VARIABLE lowered)
if(NOT lowered EQUAL 0)
  message(FATAL_ERROR "wasm-opt could not lower ${MODULE} to WebAssembly's first features")
endif()
