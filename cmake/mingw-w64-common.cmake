# Shared by the two mingw-w64 toolchain files. BRV_THREAD_MODEL picks the
# compilers: "win32" (default) for the programs we ship, which then need no
# winpthreads and no function newer than the oldest Windows we support;
# "posix" for the GoogleTest suites, whose framework and tests need
# std::mutex and std::thread.
set(CMAKE_SYSTEM_NAME Windows)
if(NOT BRV_THREAD_MODEL)
  set(BRV_THREAD_MODEL win32)
endif()
# try_compile projects read this file again and must pick the same compilers.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES BRV_THREAD_MODEL)
set(CMAKE_C_COMPILER ${TOOLCHAIN_PREFIX}-gcc-${BRV_THREAD_MODEL})
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-${BRV_THREAD_MODEL})
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
