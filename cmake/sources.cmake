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

# The noise-gate application (plugin/app): its platform-neutral sources go
# into the framework library and the DLL alike; a Win32 binding there goes
# into the Windows builds only.
file(GLOB ZR_APP_SOURCES CONFIGURE_DEPENDS ${ZR_ROOT}/plugin/app/*.cpp)
set(ZR_APP_PLATFORM_SOURCES ${ZR_APP_SOURCES})
list(FILTER ZR_APP_SOURCES EXCLUDE REGEX "_(win32|native)\\.cpp$")
if(ZR_WIN32)
  list(FILTER ZR_APP_PLATFORM_SOURCES INCLUDE REGEX "_win32\\.cpp$")
else()
  list(FILTER ZR_APP_PLATFORM_SOURCES INCLUDE REGEX "_native\\.cpp$")
endif()
target_sources(zr PRIVATE ${ZR_APP_SOURCES} ${ZR_APP_PLATFORM_SOURCES})
target_include_directories(zr PUBLIC ${ZR_ROOT}/plugin/app)
if(ZR_WIN32)
  target_sources(ZuverAduz PRIVATE ${ZR_APP_SOURCES} ${ZR_APP_PLATFORM_SOURCES})
  target_include_directories(ZuverAduz PUBLIC ${ZR_ROOT}/plugin/app)
endif()

# The VST 2 host interface (plugin/vst): base classes, static entries and the
# entry's logic.  Neutral sources go into the framework library and the DLL,
# a Win32 binding there into the DLL only.  The exported entry itself
# (vst_main.cpp, with the export names of vst_exports.def) calls the plug-in's
# createEffectInstance: the library carries it for programs that link the
# plug-in (an archive member is only pulled in when referenced), and the DLL
# takes it once a plugin/app source defines that factory.
file(GLOB ZR_VST_SOURCES CONFIGURE_DEPENDS ${ZR_ROOT}/plugin/vst/*.cpp)
set(ZR_VST_WIN32_SOURCES ${ZR_VST_SOURCES})
list(FILTER ZR_VST_SOURCES EXCLUDE REGEX "(_win32|_native|/vst_main)\\.cpp$")
list(FILTER ZR_VST_WIN32_SOURCES INCLUDE REGEX "_win32\\.cpp$")
set(ZR_VST_ENTRY_SOURCE ${ZR_ROOT}/plugin/vst/vst_main.cpp)
target_sources(zr PRIVATE ${ZR_VST_SOURCES} ${ZR_VST_ENTRY_SOURCE})
target_include_directories(zr PUBLIC ${ZR_ROOT}/plugin/vst)
if(ZR_WIN32)
  target_sources(ZuverAduz PRIVATE ${ZR_VST_SOURCES} ${ZR_VST_WIN32_SOURCES})
  target_include_directories(ZuverAduz PUBLIC ${ZR_ROOT}/plugin/vst)
  # A definition: a line starting with the factory's return type and name
  # whose parameter list is followed by the end of the line or the body.
  set(ZR_VST_FACTORY_SOURCE "")
  file(GLOB ZR_VST_APP_CANDIDATES CONFIGURE_DEPENDS ${ZR_ROOT}/plugin/app/*.cpp)
  foreach(source IN LISTS ZR_VST_APP_CANDIDATES)
    file(STRINGS ${source} definition
         REGEX "^AudioEffect[ \t]*\\*[ \t]*createEffectInstance[ \t]*\\([^)]*\\)[ \t]*({.*)?$")
    if(definition)
      set(ZR_VST_FACTORY_SOURCE ${source})
    endif()
  endforeach()
  set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
               ${ZR_VST_APP_CANDIDATES})
  if(ZR_VST_FACTORY_SOURCE)
    target_sources(ZuverAduz PRIVATE ${ZR_VST_ENTRY_SOURCE} ${ZR_ROOT}/plugin/vst/vst_exports.def)
  else()
    message(STATUS "No createEffectInstance in plugin/app: ZuverAduz.dll is built without its VST entry")
  endif()
endif()
