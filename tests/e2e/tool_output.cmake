# Runs a command-line tool through RUN (run-wine.sh for a Windows program,
# env for a native one) and checks its exit code 0 and what it printed on
# standard output (Wine's own notes go to standard error):
#   cmake -DRUN=run-wine.sh|env -DTOOL=<program> -DARGS=a|b|c
#         (-DEXPECT_FILE=<file> | -DEXPECT_TEXT=<text> | -DEXPECT_PREFIX=<text>)
#         -P tool_output.cmake
string(REPLACE "|" ";" args "${ARGS}")
execute_process(COMMAND "${RUN}" "${TOOL}" ${args}
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${TOOL} ${args}: exit code ${rc}\n${err}")
endif()
if(DEFINED EXPECT_FILE)
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
