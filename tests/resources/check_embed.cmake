# Runs the resource embedding step on small scripts: a good one must give the
# expected table and bytes, bad ones must stop with the expected reason.
#   cmake -DEMBED=<embed_resources.cmake> -DWORK=<scratch dir> -P check_embed.cmake
set(here ${CMAKE_CURRENT_LIST_DIR})
file(MAKE_DIRECTORY ${WORK})

function(embed script out result_var output_var)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -DZR_RESOURCE_SCRIPT=${here}/${script} -DZR_RESOURCE_OUTPUT=${out} -P ${EMBED}
    RESULT_VARIABLE result OUTPUT_VARIABLE stdout ERROR_VARIABLE stderr)
  set(${result_var} ${result} PARENT_SCOPE)
  # CMake wraps long messages; compare with runs of blanks made one space.
  string(REGEX REPLACE "[ \t\n]+" " " output "${stdout}${stderr}")
  set(${output_var} "${output}" PARENT_SCOPE)
endfunction()

set(failures 0)

# The good script.
file(REMOVE ${WORK}/ok.cpp)
embed(ok.rc ${WORK}/ok.cpp result output)
if(NOT result EQUAL 0)
  message(SEND_ERROR "ok.rc: embedding failed: ${output}")
  math(EXPR failures "${failures} + 1")
else()
  file(READ ${WORK}/ok.cpp generated)
  string(REPEAT "0x61," 32 row)
  set(expected
    "{\"LOWER\", resource0, 0ul}"
    "{\"TWO\", resource1, 2ul}"
    "{\"HUNDRED\", resource2, 100ul}"
    "resource1[] = {\n  0x00,0xff,\n}"
    "resource2[] = {\n  ${row}\n  ${row}\n  ${row}\n  0x61,0x61,0x61,0x61,\n}"
    "ZR_resource_count = 3;")
  foreach(piece IN LISTS expected)
    string(FIND "${generated}" "${piece}" at)
    if(at EQUAL -1)
      message(SEND_ERROR "ok.rc: generated source lacks: ${piece}\n${generated}")
      math(EXPR failures "${failures} + 1")
    endif()
  endforeach()
endif()

# Bad scripts and the reason each must give.
set(bad
  "bad_line.rc|not a line NAME DATA \"file\": PIC RCDATA"
  "duplicate.rc|resource ABOUT listed twice"
  "missing_file.rc|resource ABOUT: no file")
foreach(row IN LISTS bad)
  string(REPLACE "|" ";" row "${row}")
  list(GET row 0 script)
  list(GET row 1 reason)
  embed(${script} ${WORK}/bad.cpp result output)
  string(FIND "${output}" "${reason}" at)
  if(result EQUAL 0 OR at EQUAL -1)
    message(SEND_ERROR "${script}: expected failure \"${reason}\", got ${result}: ${output}")
    math(EXPR failures "${failures} + 1")
  endif()
endforeach()

if(failures GREATER 0)
  message(FATAL_ERROR "${failures} resource embedding check(s) failed")
endif()
