# Cross-compiling for Windows with mingw-w64 on Debian; included by the
# toolchain file of each architecture after it has set ORVANEL_MINGW_PREFIX
# and CMAKE_SYSTEM_PROCESSOR. The -posix compilers (posix thread model)
# build everything, GoogleTest included.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${ORVANEL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORVANEL_MINGW_PREFIX}-g++-posix)
set(CMAKE_ASM_COMPILER ${ORVANEL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_RC_COMPILER ${ORVANEL_MINGW_PREFIX}-windres)
set(CMAKE_AR ${ORVANEL_MINGW_PREFIX}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${ORVANEL_MINGW_PREFIX}-gcc-ranlib-posix CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${ORVANEL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained .scr: no libstdc++, libgcc or winpthread DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Release files carry no symbols or debug information (most of their size).
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
