# Runs a command-line tool through RUN (run-wine.sh for a Windows program,
# env for a native one) and checks its exit code (0, or EXPECT_EXIT) and
# what it printed: on standard output, or with EXPECT_ERROR a part of
# standard error (where Wine's own notes go too):
#   cmake -DRUN=run-wine.sh|env -DTOOL=<program> -DARGS=a|b|c [-DEXPECT_EXIT=<code>]
#         (-DEXPECT_FILE=<file> | -DEXPECT_TEXT=<text> | -DEXPECT_PREFIX=<text>
#          | -DEXPECT_ERROR=<text>)
#         -P tool_output.cmake
string(REPLACE "|" ";" args "${ARGS}")
if(NOT DEFINED EXPECT_EXIT)
  set(EXPECT_EXIT 0)
endif()
execute_process(COMMAND "${RUN}" "${TOOL}" ${args}
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL EXPECT_EXIT)
  message(FATAL_ERROR "${TOOL} ${args}: exit code ${rc}, expected ${EXPECT_EXIT}\n${err}")
endif()
if(DEFINED EXPECT_ERROR)
  string(FIND "${err}" "${EXPECT_ERROR}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${TOOL} ${args}: printed \"${err}\" on standard error, expected \"${EXPECT_ERROR}\"")
  endif()
elseif(DEFINED EXPECT_FILE)
  file(READ "${EXPECT_FILE}" expected)
  if(NOT out STREQUAL expected)
    file(WRITE "${CMAKE_CURRENT_BINARY_DIR}/tool_output.txt" "${out}")
    message(FATAL_ERROR "${TOOL} ${args}: output differs from ${EXPECT_FILE} "
                        "(written to ${CMAKE_CURRENT_BINARY_DIR}/tool_output.txt)")
  endif()
elseif(DEFINED EXPECT_TEXT)
  if(NOT out STREQUAL "${EXPECT_TEXT}\n")
    message(FATAL_ERROR "${TOOL} ${args}: printed \"${out}\", expected \"${EXPECT_TEXT}\"")
  endif()
else()
  string(FIND "${out}" "${EXPECT_PREFIX}" at)
  if(NOT at EQUAL 0)
    message(FATAL_ERROR "${TOOL} ${args}: printed \"${out}\", expected it to begin with \"${EXPECT_PREFIX}\"")
  endif()
endif()
message(STATUS "${TOOL} ${args}: as expected")
