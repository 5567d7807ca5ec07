# Source lists.  Platform-neutral framework code builds everywhere; each
# platform binding lives in its own source, picked here.
set(ZR_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)

file(GLOB ZR_NEUTRAL_SOURCES CONFIGURE_DEPENDS
  ${ZR_ROOT}/projects/ZR/*.cpp
  ${ZR_ROOT}/projects/ZR/ZR/*.cpp)
list(FILTER ZR_NEUTRAL_SOURCES EXCLUDE REGEX "_(win32|native)\\.cpp$")

file(GLOB ZR_WIN32_SOURCES CONFIGURE_DEPENDS
  ${ZR_ROOT}/projects/ZR/*_win32.cpp
  ${ZR_ROOT}/projects/ZR/ZR/*_win32.cpp)
file(GLOB ZR_NATIVE_SOURCES CONFIGURE_DEPENDS
  ${ZR_ROOT}/projects/ZR/*_native.cpp
  ${ZR_ROOT}/projects/ZR/ZR/*_native.cpp)

if(ZR_WIN32)
  set(ZR_PLATFORM_SOURCES ${ZR_WIN32_SOURCES})
else()
  set(ZR_PLATFORM_SOURCES ${ZR_NATIVE_SOURCES})
endif()

# The framework as a static library for native programs and tests.
add_library(zr STATIC ${ZR_NEUTRAL_SOURCES} ${ZR_PLATFORM_SOURCES})
target_include_directories(zr PUBLIC ${ZR_ROOT}/projects/ZR ${ZR_ROOT}/projects/ZR/ZR)

if(ZR_WIN32)
  # The product: one statically linked 32-bit DLL.
  add_library(ZuverAduz SHARED ${ZR_NEUTRAL_SOURCES} ${ZR_PLATFORM_SOURCES})
  target_include_directories(ZuverAduz PUBLIC ${ZR_ROOT}/projects/ZR ${ZR_ROOT}/projects/ZR/ZR)
  set_target_properties(ZuverAduz PROPERTIES PREFIX "" OUTPUT_NAME "ZuverAduz")
  target_link_options(ZuverAduz PRIVATE -Wl,--kill-at)
endif()

# Module resources ("DATA"): compiled by windres into the DLL, embedded by a
# generated source in the native builds.
if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/resources.cmake)
  include(${CMAKE_CURRENT_LIST_DIR}/resources.cmake)
endif()
