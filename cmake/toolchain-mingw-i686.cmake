# Cross build for 32-bit Windows with the Debian mingw-w64 toolchain (posix
# threading flavour).  Test programs run under Wine through tools/wine-run.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(ZR_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${ZR_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZR_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZR_MINGW_PREFIX}-windres)
set(CMAKE_AR ${ZR_MINGW_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${ZR_MINGW_PREFIX}-ranlib CACHE FILEPATH "")
set(ZR_OBJDUMP ${ZR_MINGW_PREFIX}-objdump CACHE FILEPATH "objdump that reads PE files")

set(CMAKE_FIND_ROOT_PATH /usr/${ZR_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows programs built here run under Wine, in a prefix private to the
# build directory.
get_filename_component(ZR_TOOLS_DIR "${CMAKE_CURRENT_LIST_DIR}/../tools" ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${ZR_TOOLS_DIR}/wine-run)
