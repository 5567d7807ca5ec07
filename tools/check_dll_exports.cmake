# Checks the DLL's export and import tables as printed by objdump -p:
#
#   cmake -DOBJDUMP=i686-w64-mingw32-objdump -DDLL=ZuverAduz.dll -P check_dll_exports.cmake
#
# Every framework symbol a host program looks up must be exported, and the
# DLL must import system DLLs only: the compiler's runtime (libgcc,
# libstdc++, winpthread) is linked in statically.
if(NOT DLL OR NOT EXISTS "${DLL}")
  message(FATAL_ERROR "no DLL to check: '${DLL}'")
endif()
if(NOT OBJDUMP)
  set(OBJDUMP i686-w64-mingw32-objdump)
endif()

set(ZR_REQUIRED_EXPORTS
  ZR_OK
  ZR_ERROR_UNKNOWN
  ZR_ERROR_FILE_CANNOT_OPEN
  ZR_ERROR_FILE_CANNOT_READ
  ZR_ERROR_FILE_CANNOT_CLOSE
  ZR_ERROR_MEMORY_CANNOT_ALLOCATE
  ZR_ERROR_MEMORY_CANNOT_REALLOC
  ZR_ERROR_MEMORY_CANNOT_FREE
  ZR_ERROR_PARAM_REQUIRED
  ZR_ERROR_RESOURCE_CANNOT_LOAD
  ZR_ERROR_RESOURCE_CANNOT_FIND
  ZR_ERROR_RESOURCE_CANNOT_LOCK
  ZR_ERROR_AUDIO
  ZR_ERROR_AUDIO_CANNOT_OPEN
  ZR_ERROR_AUDIO_CANNOT_INPUT_STOP
  ZR_ERROR_AUDIO_CANNOT_INPUT_CLOSE
  ZR_ERROR_AUDIO_CANNOT_OUTPUT_RESET
  ZR_ERROR_AUDIO_CANNOT_OUTPUT_CLOSE
  ZR_ERROR_COMMAND_NOT_FOUND
  ZR_ERROR_COMMAND_NOT_PARAM
  ZR_ERROR_COMMAND_NOT_SPACE
  __ZR
  ZR_EMPTY
  ZR_specialobject
  hInstance
  spcpp
  spcpp_exec
  ZR_initall
  _ZN9ZR_ApptplC1Ev          # ZR_Apptpl::ZR_Apptpl()
  _ZN13ZR_Chain_ItemC1EPv    # ZR_Chain_Item::ZR_Chain_Item(void*)
  _ZN12ZR_Soundpipe7processEv  # ZR_Soundpipe::process()
  ZR_error_func
  VSTPluginMain              # the plug-in entry under its five names
  main
  MAIN
  _VSTPluginMain
  _MAIN
)

# System DLLs the module may import (compared without regard to case).
set(ZR_SYSTEM_DLLS
  kernel32.dll user32.dll gdi32.dll msvcrt.dll advapi32.dll winmm.dll ole32.dll
  oleaut32.dll comdlg32.dll shell32.dll comctl32.dll uuid.dll ws2_32.dll msimg32.dll
)

execute_process(COMMAND ${OBJDUMP} -p ${DLL}
                OUTPUT_VARIABLE dump RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed (${rc}): ${err}")
endif()
string(REPLACE ";" "\\;" dump "${dump}")
string(REPLACE "\n" ";" lines "${dump}")

set(exports "")
set(imports "")
set(in_names OFF)
foreach(line IN LISTS lines)
  if(line MATCHES "^\\[Ordinal/Name Pointer\\] Table")
    set(in_names ON)
  elseif(in_names)
    if(line MATCHES "^[ \t]*\\[ *[0-9]+\\] ([^ \t]+)[ \t]*$")
      list(APPEND exports "${CMAKE_MATCH_1}")
    else()
      set(in_names OFF)
    endif()
  endif()
  if(line MATCHES "^[ \t]*DLL Name: ([^ \t]+)")
    list(APPEND imports "${CMAKE_MATCH_1}")
  endif()
endforeach()

set(failures "")
list(LENGTH exports export_count)
if(export_count EQUAL 0)
  list(APPEND failures "no export table found")
endif()
foreach(name IN LISTS ZR_REQUIRED_EXPORTS)
  list(FIND exports "${name}" at)
  if(at EQUAL -1)
    list(APPEND failures "missing export: ${name}")
  endif()
endforeach()

list(LENGTH imports import_count)
if(import_count EQUAL 0)
  list(APPEND failures "no import table found")
endif()
foreach(dll IN LISTS imports)
  string(TOLOWER "${dll}" lower)
  list(FIND ZR_SYSTEM_DLLS "${lower}" at)
  if(at EQUAL -1)
    list(APPEND failures "imports a DLL that is not part of Windows: ${dll}")
  endif()
endforeach()

if(failures)
  string(REPLACE ";" "\n  " text "${failures}")
  message(FATAL_ERROR "${DLL}:\n  ${text}")
endif()
message(STATUS "${DLL}: ${export_count} exports, every required one present; imports: ${imports}")
