# What both mingw-w64 toolchains share; each toolchain file sets
# CMAKE_SYSTEM_PROCESSOR and KAVROLIS_MINGW_PREFIX, then includes this.
# mingw-w64's posix-thread compilers (std::thread needs them); libgcc,
# libstdc++ and winpthread linked statically so that the program needs nothing
# but Windows' own DLLs.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${KAVROLIS_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KAVROLIS_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KAVROLIS_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KAVROLIS_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# -O2: at -O3 mingw-w64's GCC 12 reports strings in table-test rows as maybe
# uninitialized, which they are not.
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Release flags")
