# Module resources of type "DATA", listed once in plugin/resources/ZuverAduz.rc.
# The DLL gets them from windres; the native builds get the same files through
# a generated source, so lookups behave alike on both.
include(${CMAKE_CURRENT_LIST_DIR}/embed_resources.cmake)

set(ZR_RESOURCE_SCRIPT ${ZR_ROOT}/plugin/resources/ZuverAduz.rc)
zr_read_resource_script(${ZR_RESOURCE_SCRIPT} ZR_RESOURCE_NAMES ZR_RESOURCE_FILES)
# A new line in the script needs a fresh file list.
set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ZR_RESOURCE_SCRIPT})

if(ZR_WIN32)
  enable_language(RC)
  target_sources(ZuverAduz PRIVATE ${ZR_RESOURCE_SCRIPT})
  # windres reads the listed files; rebuild the resources when one changes.
  set_source_files_properties(${ZR_RESOURCE_SCRIPT} PROPERTIES OBJECT_DEPENDS "${ZR_RESOURCE_FILES}")
endif()

# Native builds: the framework library carries the table that the native
# ZR_resource searches.
if(NOT ZR_WIN32)
  set(ZR_RESOURCE_SOURCE ${CMAKE_BINARY_DIR}/generated/ZR_resources_native.cpp)
  add_custom_command(
    OUTPUT ${ZR_RESOURCE_SOURCE}
    COMMAND ${CMAKE_COMMAND} -DZR_RESOURCE_SCRIPT=${ZR_RESOURCE_SCRIPT}
            -DZR_RESOURCE_OUTPUT=${ZR_RESOURCE_SOURCE}
            -P ${CMAKE_CURRENT_LIST_DIR}/embed_resources.cmake
    DEPENDS ${ZR_RESOURCE_SCRIPT} ${ZR_RESOURCE_FILES} ${CMAKE_CURRENT_LIST_DIR}/embed_resources.cmake
    COMMENT "Embedding module resources"
    VERBATIM)
  target_sources(zr PRIVATE ${ZR_RESOURCE_SOURCE})
endif()

# The embedding step itself, on small scripts under tests/resources.
if(NOT ZR_WIN32)
  add_test(NAME resource_embedding
    COMMAND ${CMAKE_COMMAND} -DEMBED=${CMAKE_CURRENT_LIST_DIR}/embed_resources.cmake
            -DWORK=${CMAKE_BINARY_DIR}/resource_embedding
            -P ${ZR_ROOT}/tests/resources/check_embed.cmake)
endif()
