# Reads the module's resource script and, run as a script, writes the C++
# source that embeds its files for the native builds.
#
# The script holds one resource per line, `NAME DATA "file"`, with the name an
# identifier and the file relative to the script's directory; blank lines,
# // comments and preprocessor lines are skipped.  Anything else stops the
# build, so the DLL and the native builds can never carry different sets.
#
#   cmake -DZR_RESOURCE_SCRIPT=<script.rc> -DZR_RESOURCE_OUTPUT=<out.cpp> -P embed_resources.cmake

cmake_policy(VERSION 3.20)

function(zr_read_resource_script script out_names out_files)
  get_filename_component(dir ${script} DIRECTORY)
  file(STRINGS ${script} lines)
  set(names)
  set(files)
  foreach(line IN LISTS lines)
    if(line MATCHES "^[ \t]*$" OR line MATCHES "^[ \t]*//" OR line MATCHES "^[ \t]*#")
      continue()
    endif()
    if(NOT line MATCHES "^[ \t]*([A-Za-z_][A-Za-z0-9_]*)[ \t]+DATA[ \t]+\"([^\"]+)\"[ \t]*(//.*)?$")
      message(FATAL_ERROR "${script}: not a line NAME DATA \"file\": ${line}")
    endif()
    # The resource compiler stores names in upper case.
    string(TOUPPER ${CMAKE_MATCH_1} name)
    if(name IN_LIST names)
      message(FATAL_ERROR "${script}: resource ${name} listed twice")
    endif()
    set(file ${CMAKE_MATCH_2})
    if(NOT IS_ABSOLUTE ${file})
      set(file ${dir}/${file})
    endif()
    if(NOT EXISTS ${file})
      message(FATAL_ERROR "${script}: resource ${name}: no file ${file}")
    endif()
    list(APPEND names ${name})
    list(APPEND files ${file})
  endforeach()
  set(${out_names} ${names} PARENT_SCOPE)
  set(${out_files} ${files} PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  if(NOT ZR_RESOURCE_SCRIPT OR NOT ZR_RESOURCE_OUTPUT)
    message(FATAL_ERROR "ZR_RESOURCE_SCRIPT and ZR_RESOURCE_OUTPUT are required")
  endif()
  zr_read_resource_script(${ZR_RESOURCE_SCRIPT} names files)

  set(out "// Generated from ${ZR_RESOURCE_SCRIPT}; do not edit.\n")
  string(APPEND out "#include \"ZR_resource_table.h\"\n\nnamespace {\n")
  set(table "")
  set(index 0)
  foreach(name file IN ZIP_LISTS names files)
    file(READ ${file} hex HEX)
    string(LENGTH "${hex}" digits)
    math(EXPR size "${digits} / 2")
    if(size EQUAL 0)
      set(body "  0")  # a C++ array cannot be empty; the size stays 0
    else()
      # 32 bytes a line.
      string(REGEX REPLACE "(................................................................)" "\\1\n" hex "${hex}")
      string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," hex "${hex}")
      string(REGEX REPLACE "\n$" "" hex "${hex}")
      string(REPLACE "\n" "\n  " body "  ${hex}")
    endif()
    string(APPEND out "\n// ${name}: ${file}\nalignas(8) const unsigned char resource${index}[] = {\n${body}\n};\n")
    string(APPEND table "    {\"${name}\", resource${index}, ${size}ul},\n")
    math(EXPR index "${index} + 1")
  endforeach()
  string(APPEND out "\n}  // namespace\n\n")
  if(index EQUAL 0)
    string(APPEND table "    {nullptr, nullptr, 0ul},\n")
  endif()
  string(APPEND out "extern const ZR_resource_entry ZR_resource_table[] = {\n${table}};\n")
  string(APPEND out "extern const unsigned ZR_resource_count = ${index};\n")

  file(WRITE ${ZR_RESOURCE_OUTPUT} "${out}")
endif()
