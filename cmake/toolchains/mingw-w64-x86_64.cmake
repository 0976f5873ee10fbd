# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (packages
# g++-mingw-w64-x86-64-posix, binutils-mingw-w64-x86-64). The POSIX thread
# model is the one whose libstdc++ has std::thread and std::mutex, which Qt
# needs. Used for Qt's own build and for ours, so both agree on the compiler.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(mingw_triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_triplet}-windres)

# Headers, libraries and packages come from the MinGW root and from whatever
# the caller adds (Qt's prefix); programs run at build time from the host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${mingw_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
