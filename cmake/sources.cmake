# Source lists.  The framework (projects/ZR), the application (plugin/app)
# and the VST 2 layer (plugin/vst) are platform-neutral except for sources
# named *_win32.cpp (Windows builds only) and *_native.cpp (native only).
set(ZR_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)

file(GLOB ZR_ALL_SOURCES CONFIGURE_DEPENDS
  ${ZR_ROOT}/projects/ZR/*.cpp
  ${ZR_ROOT}/projects/ZR/ZR/*.cpp
  ${ZR_ROOT}/plugin/app/*.cpp
  ${ZR_ROOT}/plugin/vst/*.cpp)
set(ZR_SOURCES ${ZR_ALL_SOURCES})
list(FILTER ZR_SOURCES EXCLUDE REGEX "_(win32|native)\\.cpp$")
set(ZR_PLATFORM_SOURCES ${ZR_ALL_SOURCES})
if(ZR_WIN32)
  list(FILTER ZR_PLATFORM_SOURCES INCLUDE REGEX "_win32\\.cpp$")
else()
  list(FILTER ZR_PLATFORM_SOURCES INCLUDE REGEX "_native\\.cpp$")
endif()

set(ZR_INCLUDE_DIRS ${ZR_ROOT}/projects/ZR ${ZR_ROOT}/projects/ZR/ZR ${ZR_ROOT}/plugin/app ${ZR_ROOT}/plugin/vst)

# The framework and the plug-in as a static library for native programs and
# tests (the exported entry is an archive member pulled in when referenced).
add_library(zr STATIC ${ZR_SOURCES} ${ZR_PLATFORM_SOURCES})
target_include_directories(zr PUBLIC ${ZR_INCLUDE_DIRS})

if(ZR_WIN32)
  # The product: one statically linked 32-bit DLL, exporting the plug-in
  # entry under its five names.
  add_library(ZuverAduz SHARED ${ZR_SOURCES} ${ZR_PLATFORM_SOURCES} ${ZR_ROOT}/plugin/vst/vst_exports.def)
  target_include_directories(ZuverAduz PUBLIC ${ZR_INCLUDE_DIRS})
  set_target_properties(ZuverAduz PROPERTIES PREFIX "" OUTPUT_NAME "ZuverAduz")
  target_link_options(ZuverAduz PRIVATE -Wl,--kill-at)
endif()

# Module resources ("DATA"): compiled by windres into the DLL, embedded by a
# generated source in the native builds.
include(${CMAKE_CURRENT_LIST_DIR}/resources.cmake)
