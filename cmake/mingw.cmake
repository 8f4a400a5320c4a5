# Cross toolchain: MinGW-w64 with posix threads. TAV_ARCH picks the target:
# i686 builds the shipped PE32 program; x86_64 is only used to run the tests
# on machines whose kernel cannot execute 32-bit Wine.
if(NOT TAV_ARCH)
  set(TAV_ARCH i686)
endif()
set(TAV_ARCH ${TAV_ARCH} CACHE STRING "MinGW target: i686 or x86_64")
set(CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TAV_ARCH)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${TAV_ARCH})
set(CMAKE_C_COMPILER   ${TAV_ARCH}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAV_ARCH}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER  ${TAV_ARCH}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TAV_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
