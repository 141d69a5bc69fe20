# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (x86_64-w64-mingw32-*).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(FIGMERG_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${FIGMERG_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${FIGMERG_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${FIGMERG_MINGW_PREFIX}-windres)

# Headers and libraries come from the cross sysroot only; programs run during the build are
# the host's own.
set(CMAKE_FIND_ROOT_PATH /usr/${FIGMERG_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
