# Builds every target of ours hardened as Debian builds its own programs
# (dpkg-buildflags with hardening=+all): stack protector, stack-clash
# protection, control-flow protection on x86, fortified libc calls, PIE and
# read-only relocations bound at start. A build from the README gets them as
# a package build does.
#
# They go in front of the flags a packager passes (CXXFLAGS and LDFLAGS, which
# CMake starts CMAKE_CXX_FLAGS and the linker flags from), so the packager's
# come later on the command line and win; a _FORTIFY_SOURCE of the packager's
# replaces ours outright.
#
# Sanitizer and fuzzing builds (-fsanitize= among the flags) keep everything
# but fortification: the fortified libc calls go around the sanitizers'
# interceptors, so their overflows would be reported by the wrong tool or not
# at all. Fortification also needs an optimised build, so Debug has none.
#
# For Windows (MinGW), the linker's equivalents: ASLR with a 64-bit address
# space and DEP. WebAssembly (Emscripten) gets none: its machine keeps code
# and return addresses outside the memory a program can write, its linker
# takes none of these options, and the browser's sandbox is the boundary.
include_guard(GLOBAL)
include(CheckCXXCompilerFlag)

# A plain `cmake -S . -B build` would otherwise build unoptimised, and so
# unfortified; packagers name their own type (Debian's tools say None).
get_property(multi_config GLOBAL PROPERTY GENERATOR_IS_MULTI_CONFIG)
if(NOT multi_config AND NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE Release CACHE STRING "Build type" FORCE)
endif()

if(EMSCRIPTEN)
  return()
endif()

if(WIN32)
  # Debian's binutils (2.40 and later) already mark PE+ images so by
  # default; named here so that another linker gives the same program.
  set(vostrel_hardening_link_flags
    "-Wl,--dynamicbase -Wl,--high-entropy-va -Wl,--nxcompat")
  set(CMAKE_EXE_LINKER_FLAGS "${vostrel_hardening_link_flags} ${CMAKE_EXE_LINKER_FLAGS}")
  set(CMAKE_SHARED_LINKER_FLAGS "${vostrel_hardening_link_flags} ${CMAKE_SHARED_LINKER_FLAGS}")
  return()
endif()

set(CMAKE_POSITION_INDEPENDENT_CODE ON)
include(CheckPIESupported)
check_pie_supported(LANGUAGES CXX)

set(vostrel_hardening_compile_flags "")
foreach(flag IN ITEMS -fstack-protector-strong -fstack-clash-protection -fcf-protection)
  string(MAKE_C_IDENTIFIER "VOSTREL_HAS${flag}" supported)
  check_cxx_compiler_flag(${flag} ${supported})
  if(${supported})
    string(APPEND vostrel_hardening_compile_flags " ${flag}")
  endif()
endforeach()

set(vostrel_all_flags "${CMAKE_CXX_FLAGS} ${CMAKE_EXE_LINKER_FLAGS}")
string(TOUPPER "${CMAKE_BUILD_TYPE}" build_type)
if(NOT vostrel_all_flags MATCHES "-fsanitize="
   AND NOT CMAKE_CXX_FLAGS MATCHES "_FORTIFY_SOURCE"
   AND (CMAKE_CXX_FLAGS_${build_type} MATCHES "-O[1-3sz]" OR CMAKE_CXX_FLAGS MATCHES "-O[1-3sz]"))
  # Level 3 sizes objects at run time too; GCC has it from 12 on. A compiler
  # that defines the macro itself (as some distributions' do) is overridden
  # without a redefinition warning.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12)
    set(fortify_level 3)
  else()
    set(fortify_level 2)
  endif()
  string(APPEND vostrel_hardening_compile_flags
    " -U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=${fortify_level}")
endif()

set(vostrel_hardening_link_flags "-Wl,-z,relro -Wl,-z,now -Wl,-z,noexecstack")
set(CMAKE_CXX_FLAGS "${vostrel_hardening_compile_flags} ${CMAKE_CXX_FLAGS}")
foreach(kind IN ITEMS EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS "${vostrel_hardening_link_flags} ${CMAKE_${kind}_LINKER_FLAGS}")
endforeach()

# Whether the program's calls are expected to include fortified ones (the
# hardening test checks it), from our fortification or a packager's. Our
# calls to libc all come from the standard library's and Qt's strings and
# containers: GCC 12 knows the size of none of their blocks and leaves every
# call plain, GCC 14 sizes them and checks.
set(VOSTREL_EXPECT_FORTIFIED_CALLS OFF)
if(CMAKE_CXX_FLAGS MATCHES "_FORTIFY_SOURCE=[23]"
   AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU"
   AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 13)
  set(VOSTREL_EXPECT_FORTIFIED_CALLS ON)
endif()
