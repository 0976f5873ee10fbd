# Run by the app.hardening test: the program must be built as Debian builds
# its own, which readelf shows without running it:
#   a position-independent executable, its relocations read-only (RELRO) and
#   bound at start (BIND_NOW), its stack not executable, the stack
#   protector's calls in it, and, where FORTIFIED is true, the fortified
#   variant of at least one libc function it calls (as hardening-check asks;
#   a compiler that knows the size of no destination emits none).
# Variables: READELF, PROGRAM, FORTIFIED.
cmake_minimum_required(VERSION 3.25)

function(readelf out)
  execute_process(COMMAND "${READELF}" -W ${ARGN} "${PROGRAM}"
    OUTPUT_VARIABLE text RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "readelf ${ARGN} ${PROGRAM}: ${err}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

readelf(header --file-header)
readelf(dynamic --dynamic)
readelf(segments --program-headers)
readelf(symbols --dyn-syms)

set(faults "")
# What must be there, each as a pattern over readelf's output.
foreach(check IN ITEMS
    "header|Type: +DYN|a position-independent executable"
    "dynamic|FLAGS_1\\)[^\n]*PIE|marked PIE"
    "segments|GNU_RELRO|a read-only relocation segment (RELRO)"
    "dynamic|\\(FLAGS\\)[^\n]*BIND_NOW|FLAGS_1\\)[^\n]*NOW|relocations bound at start (BIND_NOW)"
    "segments|GNU_STACK[^\n]* RW  |a non-executable stack"
    "symbols|UND __stack_chk_fail|the stack protector's calls")
  string(REPLACE "|" ";" parts "${check}")
  list(POP_FRONT parts where)
  list(POP_BACK parts what)
  list(JOIN parts "|" pattern)
  if(NOT "${${where}}" MATCHES "${pattern}")
    list(APPEND faults "not ${what}")
  endif()
endforeach()

# libc functions that _FORTIFY_SOURCE replaces by a checking variant.
set(fortifiable memcpy memmove memset mempcpy strcpy stpcpy strncpy strcat
  strncat sprintf snprintf vsprintf vsnprintf printf fprintf vprintf vfprintf
  read pread fgets getcwd realpath wcscpy wmemcpy wmemset)
set(plain "")
set(checked "")
foreach(function IN LISTS fortifiable)
  if(symbols MATCHES "UND ${function}(@|\n)")
    list(APPEND plain ${function})
  endif()
  if(symbols MATCHES "UND __${function}_chk(@|\n)")
    list(APPEND checked ${function})
  endif()
endforeach()
if(FORTIFIED AND plain AND NOT checked)
  list(JOIN plain ", " plain)
  list(APPEND faults "not fortified: calls ${plain}, none through its checking variant")
endif()

if(faults)
  list(JOIN faults "\n  " faults)
  message(FATAL_ERROR "${PROGRAM} is built without hardening:\n  ${faults}")
endif()
message(STATUS "${PROGRAM}: PIE, full RELRO, non-executable stack, stack protector"
  "; fortified calls: ${checked}")
